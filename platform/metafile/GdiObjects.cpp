#include "platform/metafile/GdiObjects.h"

#include <algorithm>
#include <array>

#include "platform/metafile/Limits.h"

namespace metafile {

namespace {

ObjectPtr MakeBrush(uint32_t style, gdi::ColorRef color)
{
    LogBrush brush;
    brush.style = style;
    brush.color = color;
    return std::make_shared<GdiObject>(brush);
}

ObjectPtr MakePen(uint32_t style, gdi::ColorRef color)
{
    LogPen pen;
    pen.style = style;
    pen.color = color;
    return std::make_shared<GdiObject>(pen);
}

ObjectPtr MakeFont(int32_t height, int32_t weight, const char16_t* face, uint8_t pitchAndFamily)
{
    LogFont font;
    font.height = height;
    font.weight = weight;
    font.faceName = face;
    font.pitchAndFamily = pitchAndFamily;
    return std::make_shared<GdiObject>(font);
}

std::array<ObjectPtr, 20> MakeStockObjects()
{
    std::array<ObjectPtr, 20> stock;
    stock[gdi::WHITE_BRUSH] = MakeBrush(gdi::BS_SOLID, 0xFFFFFF);
    stock[gdi::LTGRAY_BRUSH] = MakeBrush(gdi::BS_SOLID, 0xC0C0C0);
    stock[gdi::GRAY_BRUSH] = MakeBrush(gdi::BS_SOLID, 0x808080);
    stock[gdi::DKGRAY_BRUSH] = MakeBrush(gdi::BS_SOLID, 0x404040);
    stock[gdi::BLACK_BRUSH] = MakeBrush(gdi::BS_SOLID, 0x000000);
    stock[gdi::NULL_BRUSH] = MakeBrush(gdi::BS_NULL, 0);
    stock[gdi::WHITE_PEN] = MakePen(gdi::PS_SOLID, 0xFFFFFF);
    stock[gdi::BLACK_PEN] = MakePen(gdi::PS_SOLID, 0x000000);
    stock[gdi::NULL_PEN] = MakePen(gdi::PS_NULL, 0);
    stock[gdi::OEM_FIXED_FONT] = MakeFont(12, 400, u"Terminal", gdi::FIXED_PITCH | gdi::FF_MODERN);
    stock[gdi::ANSI_FIXED_FONT] = MakeFont(12, 400, u"Courier", gdi::FIXED_PITCH | gdi::FF_MODERN);
    stock[gdi::ANSI_VAR_FONT] = MakeFont(12, 400, u"MS Sans Serif", gdi::FF_SWISS);
    stock[gdi::SYSTEM_FONT] = MakeFont(16, 700, u"System", gdi::FF_SWISS);
    stock[gdi::DEVICE_DEFAULT_FONT] = MakeFont(16, 700, u"System", gdi::FF_SWISS);
    stock[gdi::DEFAULT_PALETTE] = std::make_shared<GdiObject>(DefaultPalette());
    stock[gdi::SYSTEM_FIXED_FONT] = MakeFont(16, 400, u"Fixedsys", gdi::FIXED_PITCH | gdi::FF_MODERN);
    stock[gdi::DEFAULT_GUI_FONT] = MakeFont(-11, 400, u"MS Shell Dlg", gdi::FF_SWISS);
    stock[gdi::DC_BRUSH] = MakeBrush(gdi::BS_SOLID, 0xFFFFFF);
    stock[gdi::DC_PEN] = MakePen(gdi::PS_SOLID, 0x000000);
    return stock;
}

}  // namespace

ObjectPtr GetStockObject(uint32_t index)
{
    static const std::array<ObjectPtr, 20> stock = MakeStockObjects();
    return index < stock.size() ? stock[index] : nullptr;
}

const LogPalette& DefaultPalette()
{
    static const LogPalette palette {{
        {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
        {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
        {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
        {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
    }};
    return palette;
}

CObjectTable::CObjectTable(uint32_t slotCount) : slots_(std::min(slotCount, kMaxObjects)) {}

void CObjectTable::Put(uint32_t index, ObjectPtr object)
{
    if (index >= kMaxObjects)
        return;
    // Some writers count their handles short; the table grows up to the limit.
    if (index >= slots_.size())
        slots_.resize(index + 1);
    slots_[index] = std::move(object);
}

std::optional<uint32_t> CObjectTable::PutInLowestFreeSlot(ObjectPtr object)
{
    auto free = std::find(slots_.begin(), slots_.end(), nullptr);
    if (free == slots_.end()) {
        if (slots_.size() >= kMaxObjects)
            return std::nullopt;
        free = slots_.insert(slots_.end(), nullptr);
    }
    *free = std::move(object);
    return static_cast<uint32_t>(free - slots_.begin());
}

ObjectPtr CObjectTable::Get(uint32_t index) const
{
    if (index & gdi::kStockFlag)
        return GetStockObject(index & ~gdi::kStockFlag);
    return index < slots_.size() ? slots_[index] : nullptr;
}

void CObjectTable::Delete(uint32_t index)
{
    if (index < slots_.size())
        slots_[index] = nullptr;
}

}  // namespace metafile
