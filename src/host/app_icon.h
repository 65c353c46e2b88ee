#pragma once

#include <QIcon>

// The program's 64 x 64 icon (data/icons/quillet.png, rendered from the SVG beside
// it), for the main window and the about box.
QIcon appIcon();
