#pragma once

#include <string>

#include "picture/bitmap/PLObject.h"
#include "picture/decoding/PictureError.h"

// The one exception of the picture library: an error code and a text.
// Thrown and caught by value.
class CTextException : public CPLObject {
public:
    CTextException(int code, std::string text);

    virtual int GetCode() const { return code_; }
    virtual const char* GetText() const { return text_.c_str(); }

private:
    int code_;
    std::string text_;
};

// Writes "Decoder error: <message>\n" to the trace at level 0 and throws it
// with the code.
[[noreturn]] void ThrowDecodeError(int code, const std::string& message);

// Throws PE_END_OF_FILE "End of file reached while decoding.\n" as it stands,
// without wrapping or trace: what a read past the end of the data gives.
[[noreturn]] void ThrowEndOfFile();

// Throws PE_ALLOC_FAILED "Out of memory." as it stands, without wrapping or
// trace: what memory that cannot be had anywhere in a decode gives. The text
// is short enough to be held without taking memory of its own.
[[noreturn]] void ThrowOutOfMemory();
