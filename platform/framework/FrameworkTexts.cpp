#include "platform/framework/FrameworkTexts.h"

namespace texts {

std::string Format1(std::string_view text, std::string_view argument)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '1') {
            result += argument;
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

}  // namespace texts
