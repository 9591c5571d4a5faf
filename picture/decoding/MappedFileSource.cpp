#include "picture/decoding/MappedFileSource.h"

#include "picture/decoding/PictureError.h"
#include "picture/decoding/TextException.h"

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
    case os::OpenError::OutOfMemory:
        return PE_ALLOC_FAILED;
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

int64_t CMappedFileSource::LoadUpTo(int64_t end)
{
    if (!file_.Load(static_cast<size_t>(end)))
        ThrowEndOfFile();
    return static_cast<int64_t>(file_.Loaded());
}
