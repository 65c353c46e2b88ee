#include "host/host.h"
#include "host/qt_translations.h"
#include "window/command_line.h"
#include "window/form1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const char kNoDisplay[] =
    "quillet: 打开窗口需要图形显示环境,但没有找到可用的显示(X11 或 Wayland)。\n"
    "请在图形桌面中运行,或设置 DISPLAY / WAYLAND_DISPLAY;"
    "不需要窗口的 quillet --help 和 quillet --version 仍可使用。\n";

// What Qt says while it looks for a display; shown after all if it finds one.
QStringList g_startMessages;

[[noreturn]] void failWithoutDisplay(const QStringList& details) {
    std::fputs(kNoDisplay, stderr);
    for (const QString& line : details)
        std::fprintf(stderr, "  (%s)\n", qPrintable(line));
    std::fflush(stderr);
    // Not exit(): Qt's half-built objects must not be torn down.
    std::_Exit(1);
}

// Qt ends the process (abort, status 134) when no platform plugin starts:
// instead, say in Chinese what is missing and end with status 1.
void onStartMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg)
        failWithoutDisplay(g_startMessages);
    g_startMessages << message;
}

bool mayHaveDisplay(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "-platform") == 0)
            return true;
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    return false;
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    // --help and --version print and quit: they need no display.
    if (!command_line::needsWindow(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (!mayHaveDisplay(argc, argv))
        failWithoutDisplay({});
    const QtMessageHandler previous = qInstallMessageHandler(onStartMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& message : std::exchange(g_startMessages, {}))
        qWarning("%s", qPrintable(message));
    return app;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QCoreApplication::setApplicationName(kProgramName);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    if (!installQtTranslations(*app))
        std::fprintf(stderr,
                     "quillet: qtbase_zh_CN.qm not found in %s; Qt's own texts stay in "
                     "English (install qt6-translations-l10n)\n",
                     qPrintable(QLibraryInfo::path(QLibraryInfo::TranslationsPath)));

    // From argv as the application left it: a file name's bytes stay as they are.
    const command_line::Request request = command_line::parse(command_line::arguments(argc, argv));
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
