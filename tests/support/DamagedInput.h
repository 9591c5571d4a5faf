#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CPictureDecoder;

// Decodes at every wanted depth; any exception but CTextException fails the test.
void DecodeEveryWay(CPictureDecoder& decoder, const std::vector<uint8_t>& bytes, const std::string& what);

// Every cut of `bytes` (at 0, step, 2 x step ...) ends in a picture or a clean
// CTextException, never a crash, a hang or a stray access.
void ExpectCutsEndCleanly(CPictureDecoder& decoder, const std::vector<uint8_t>& bytes, size_t step,
                          const std::string& what);

// The same for `rounds` copies of `bytes` with one to four bytes changed at
// random, at offset `from` or later.
void ExpectChangedBytesEndCleanly(CPictureDecoder& decoder, const std::vector<uint8_t>& bytes, int rounds,
                                  const std::string& what, size_t from = 0);
