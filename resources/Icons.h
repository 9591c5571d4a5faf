#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

class QPainter;

// The toolbar's 16 x 15 pictures as XPM data, for QPixmap's constructor.
// The action table gives each command on the toolbar its picture.
extern const char* const kNewIcon[];
extern const char* const kOpenIcon[];
extern const char* const kSaveAsIcon[];
extern const char* const kAddIcon[];
extern const char* const kAddFolderIcon[];
extern const char* const kRemoveIcon[];
extern const char* const kRemoveAllIcon[];
extern const char* const kZoomIcon[];
extern const char* const kCopyIcon[];
extern const char* const kSlideStartIcon[];
extern const char* const kSlideStopIcon[];

// The sizes in pixels at which the application's icon is made, for the
// window and for the desktop's icon theme.
inline constexpr int kApplicationIconSizes[] = {16, 32, 48, 64, 128, 256};

// Draws the application's icon into the square (0, 0, size, size).
void DrawApplicationIcon(QPainter& painter, int size);
// The application's icon drawn at size x size pixels on a transparent ground.
QImage ApplicationIconImage(int size);
// The application's icon at every size above.
QIcon ApplicationIcon();
