#include "platform/framework/FileErrors.h"

#include <cerrno>

#include "platform/framework/FrameworkTexts.h"

namespace {

const char* MessageFor(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return texts::kFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return texts::kAccessDenied;
    case ENOSPC:
    case EDQUOT:
        return texts::kDiskFull;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
        return texts::kSharingViolation;
    default:
        return texts::kFileGeneric;
    }
}

}  // namespace

std::string FileErrorText(int error, const std::string& path)
{
    return texts::Format1(MessageFor(error), path);
}
