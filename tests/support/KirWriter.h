#pragma once

#include <string>

#include "tests/support/ByteWriter.h"

// The shapes a length prefix of a collection file (.kir) can take: one byte,
// 0xFF and 16 bits, 0xFF 0xFFFF and 32 bits, and the same three after the
// wide-string marker 0xFF 0xFFFE.
enum class Prefix { Byte, Word, Dword, WideByte, WideWord, WideDword };

// Appends a string record with the length prefix in the given shape. Wide
// shapes store each byte of `text` (ASCII) as one UTF-16 unit.
void AddRecord(ByteWriter& out, const std::string& text, Prefix prefix = Prefix::Byte);
// Appends a wide record of these UTF-16 units.
void AddWideRecord(ByteWriter& out, const std::u16string& units, Prefix prefix);
