#pragma once

#include <QIcon>
#include <QImage>

// The program's 64 x 64 picture: a page with a bar chart and a quill.
QImage appIconImage();
QIcon appIcon();
