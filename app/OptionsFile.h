#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "app/ViewerOptions.h"

class QSettings;

// The slide show's intervals that the Image menu offers, in seconds.
inline constexpr std::array<int, 5> kSlideShowSeconds {1, 2, 3, 5, 10};

// The viewer's options and the main window's place, kept between runs in an
// INI file of their own beside the profile ("Lumo? Options.ini" in the same
// settings folder), so the profile keeps nothing but the recently used list.
class COptionsFile {
public:
    COptionsFile();
    ~COptionsFile();

    static QString FileName();

    // The options as last written; a value missing or out of its range keeps its default.
    ViewerOptions ReadOptions() const;
    // The window's normal geometry as last written; none before the first write.
    std::optional<QRect> ReadWindowGeometry() const;
    void Write(const ViewerOptions& options, const QRect& windowGeometry);

private:
    std::unique_ptr<QSettings> settings_;
};
