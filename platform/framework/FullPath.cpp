#include "platform/framework/FullPath.h"

#include <filesystem>
#include <system_error>

std::string FullPath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (path.empty() || error)
        return path;
    std::filesystem::path cleaned;
    for (const std::filesystem::path& part : absolute)
        if (part != ".")
            cleaned /= part;
    return cleaned.string();
}
