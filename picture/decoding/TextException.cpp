#include "picture/decoding/TextException.h"

#include "picture/decoding/Trace.h"

CTextException::CTextException(int code, std::string text) : code_(code), text_(std::move(text)) {}

void ThrowDecodeError(int code, const std::string& message)
{
    std::string text = "Decoder error: " + message + "\n";
    WriteTrace(0, text);
    throw CTextException(code, text);
}

void ThrowEndOfFile()
{
    throw CTextException(PE_END_OF_FILE, "End of file reached while decoding.\n");
}

void ThrowOutOfMemory()
{
    throw CTextException(PE_ALLOC_FAILED, "Out of memory.");
}
