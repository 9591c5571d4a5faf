#include "picture/formats/LibraryGuard.h"

#include <cstring>

#include "picture/decoding/TextException.h"

void CLibraryGuard::JumpBack(const char* message)
{
    std::strncpy(message_, message != nullptr ? message : "", sizeof message_ - 1);
    message_[sizeof message_ - 1] = '\0';
    std::longjmp(jump_, 1);
}

void CLibraryGuard::ThrowFailure(int code, const char* suffix)
{
    if (kept_) {
        std::exception_ptr kept = kept_;
        kept_ = nullptr;
        std::rethrow_exception(kept);
    }
    ThrowDecodeError(code, std::string(message_) + suffix);
}
