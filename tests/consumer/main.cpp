// Links the whole window and its resources into another project's program.
#include "host/app_icon.h"
#include "window/form1.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Form1 window;
    std::printf("%s|%s|%s\n", qPrintable(window.windowTitle()),
                appIcon().isNull() ? "no icon" : "icon", QUILLET_VERSION);
    return 0;
}
