#pragma once

#include <QCursor>

// The magnifying glass shown in rectangle-zoom mode (32 x 32, hot spot at the
// centre of the lens, (9, 8)).
QCursor LoadZoomCursor();
