#pragma once

#include <cstdint>
#include <string>
#include <vector>

// "P5\n<width> <height>\n<maxval>\n" (or P2): a header with one line feed
// behind each part.
std::string PgmHeader(bool binary, int width, int height, uint32_t maxval);

// The samples of rows given top-down: binary ones of one byte, or two bytes
// most significant first when maxval is above 255; ASCII ones as decimal
// numbers, a space between them and a line feed after each row.
std::vector<uint8_t> PgmSamples(const std::vector<std::vector<uint32_t>>& rows, uint32_t maxval, bool binary);

std::vector<uint8_t> WritePgm(const std::vector<std::vector<uint32_t>>& rows, uint32_t maxval, bool binary);
