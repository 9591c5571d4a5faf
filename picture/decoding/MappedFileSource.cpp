#include "picture/decoding/MappedFileSource.h"

#include "picture/decoding/PictureError.h"

CMappedFileSource::~CMappedFileSource()
{
    CMappedFileSource::Close();
}

int CMappedFileSource::OpenFile(const char* path)
{
    switch (file_.Open(path)) {
    case os::OpenError::None:
        break;
    case os::OpenError::PathNotFound:
        return PE_PATH_NOT_FOUND;
    case os::OpenError::AccessDenied:
        return PE_ACCESS_DENIED;
    case os::OpenError::OpenFailed:
        return PE_OPEN_FAILED;
    }
    SetData(file_.Data());
    Open(path, static_cast<int64_t>(file_.Size()));
    return PE_OK;
}

void CMappedFileSource::Close()
{
    CByteSource::Close();
    file_.Close();
}
