#include "resources/Cursors.h"

#include <QPixmap>

namespace {

// The lens is a ring around the hot spot; the handle runs down to the right.
const char* const kMagnifier[] = {
    "32 32 3 1",
    "  c None",
    ". c #000000",
    "o c #FFFFFF",
    "                                ",
    "       .....                    ",
    "     ..ooooo..                  ",
    "    .ooo...ooo.                 ",
    "    .o.......o.                 ",
    "   .oo.ooooo.oo.                ",
    "   .o.oo   oo.o.                ",
    "   .o.o     o.o.                ",
    "   .o.o     o.o.                ",
    "   .o.o     o.o.                ",
    "   .o.o     o.o.                ",
    "   .o.oo   oo.o.                ",
    "   .oo.ooooo.oo.                ",
    "    .o.......oo.                ",
    "    .ooo...ooo..o.              ",
    "     ..ooooo..o...o.            ",
    "       .....  o....o.           ",
    "               o....o.          ",
    "                o....o.         ",
    "                 o....o         ",
    "                  o..o          ",
    "                   oo           ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};

}  // namespace

QCursor LoadZoomCursor()
{
    return QCursor(QPixmap(kMagnifier), 9, 8);
}
