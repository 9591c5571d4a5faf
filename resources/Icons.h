#pragma once

#include <QIcon>
#include <QPixmap>

// The toolbar's 16 x 15 pictures by command id (a null pixmap for other ids).
QPixmap ToolbarPixmap(int commandId);
// The application's icon.
QIcon ApplicationIcon();
