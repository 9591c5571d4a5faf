#include "tests/support/KirWriter.h"

namespace {

void AddLength(ByteWriter& out, uint32_t length, Prefix prefix)
{
    switch (prefix) {
    case Prefix::Byte:
    case Prefix::WideByte:
        out.U8(length);
        break;
    case Prefix::Word:
    case Prefix::WideWord:
        out.U8(0xFF).U16LE(length);
        break;
    case Prefix::Dword:
    case Prefix::WideDword:
        out.U8(0xFF).U16LE(0xFFFF).U32LE(length);
        break;
    }
}

bool IsWide(Prefix prefix)
{
    return prefix == Prefix::WideByte || prefix == Prefix::WideWord || prefix == Prefix::WideDword;
}

}  // namespace

void AddRecord(ByteWriter& out, const std::string& text, Prefix prefix)
{
    if (IsWide(prefix)) {
        AddWideRecord(out, std::u16string(text.begin(), text.end()), prefix);
        return;
    }
    AddLength(out, static_cast<uint32_t>(text.size()), prefix);
    out.Text(text);
}

void AddWideRecord(ByteWriter& out, const std::u16string& units, Prefix prefix)
{
    out.U8(0xFF).U16LE(0xFFFE);
    AddLength(out, static_cast<uint32_t>(units.size()), prefix);
    for (char16_t unit : units)
        out.U16LE(unit);
}
