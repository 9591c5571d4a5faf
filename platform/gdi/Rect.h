#pragma once

#include <algorithm>

namespace gdi {

// A rectangle as GDI keeps it: right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }

    Rect Normalized() const
    {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    }
    Rect Intersected(const Rect& other) const
    {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    Rect Inflated(int by) const { return {left - by, top - by, right + by, bottom + by}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace gdi
