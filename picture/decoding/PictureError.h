#pragma once

// Error codes of the picture library, carried by CTextException. 9 is unused.
enum PictureError : int {
    PE_OK = 0,
    PE_WRONG_SIGNATURE = 1,
    PE_FORMAT_ERROR = 2,
    PE_PATH_NOT_FOUND = 3,
    PE_OPEN_FAILED = 4,
    PE_ACCESS_DENIED = 5,
    PE_UNSUPPORTED = 6,
    PE_UNSUPPORTED_VARIANT = 7,
    PE_UNKNOWN_FILE_TYPE = 8,
    PE_ALLOC_FAILED = 10,
    PE_END_OF_FILE = 11,
};
