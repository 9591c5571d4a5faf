#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <sys/types.h>

namespace os {

// Reads into `buffer` from byte `offset` of the open file `fd` until the
// buffer is full or the file ends. The count read, or -1 with errno set.
ssize_t ReadAt(int fd, std::span<uint8_t> buffer, uint64_t offset);

// Reads a whole regular file into `bytes`. Returns 0 or the errno of the
// failure: EISDIR for a folder, EACCES for anything else that is no regular
// file, EFBIG when the file holds more than `maxBytes`.
int ReadFileContents(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes);

// Replaces the file at `path` with `bytes` so that the old file stays whole
// whatever fails: the bytes go to a new file beside it, which is flushed and
// then renamed over the old one. A link is followed to the file it names; the
// old file's permissions are kept. Returns 0 or the errno of the failure, after
// which the new file is gone and the old one untouched.
int ReplaceFileContents(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace os
