#pragma once

#include <string>

// The message for a file that could not be read or written, by the errno of
// the failure, with the file's path in it.
std::string FileErrorText(int error, const std::string& path);
