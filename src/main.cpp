#include "host/host.h"
#include "host/qt_translations.h"
#include "window/command_line.h"
#include "window/form1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    // --help and --version print and quit: they need no display.
    std::unique_ptr<QCoreApplication> app;
    if (command_line::needsWindow(argc, argv))
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(kProgramName);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    if (!installQtTranslations(*app))
        std::fprintf(stderr,
                     "quillet: qtbase_zh_CN.qm not found in %s; Qt's own texts stay in "
                     "English (install qt6-translations-l10n)\n",
                     qPrintable(QLibraryInfo::path(QLibraryInfo::TranslationsPath)));

    const command_line::Request request = command_line::parse(QCoreApplication::arguments());
    switch (request.action) {
    case command_line::Request::Action::PrintHelp:
    case command_line::Request::Action::PrintVersion:
        std::fputs(request.output.toLocal8Bit().constData(), stdout);
        return 0;
    case command_line::Request::Action::Fail:
        std::fputs(request.output.toLocal8Bit().constData(), stderr);
        return 1;
    case command_line::Request::Action::OpenWindow:
        break;
    }

    Form1 window;
    window.show();
    command_line::openRequested(window, request);
    return QCoreApplication::exec();
}
