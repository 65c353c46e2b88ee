#include "window/command_line.h"

#include "host/file_name.h"
#include "window/form1.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <climits>
#include <optional>
#include <unistd.h>

namespace command_line {

namespace {

// The current directory as file_name keeps it, also when it is not UTF-8;
// nothing when it was removed (QDir::currentPath() would then be empty, and a
// relative name would become one under "/").
std::optional<QString> currentDirectory() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer))
        return file_name::fromBytes(buffer);
    return std::nullopt;
}

// The path without "." parts and repeated slashes. ".." stays: after a
// symbolic link it names the parent of the link's target, which only the
// system knows (QDir::cleanPath would name a different file).
QString withoutDotParts(const QString& path) {
    QStringList kept;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts))
        if (part != u".")
            kept << part;
    return (path.startsWith(u'/') ? QStringLiteral("/") : QString()) + kept.join(u'/');
}

} // namespace

QStringList arguments(int argc, const char* const* argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << file_name::fromBytes(argv[i]);
    return list;
}

bool needsWindow(int argc, const char* const* argv) {
    return parse(arguments(argc, argv)).action == Request::Action::OpenWindow;
}

Request parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillet:统计字频、计算子字符串出现次数、变换和编辑中文文本。"));
    // Not addHelpOption(): its --help-all promises Qt's options, which helpText()
    // leaves out.
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
        QStringLiteral("显示此帮助。"));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("文件"), QStringLiteral("打开到输入框的文本文件"),
                                 QStringLiteral("[文件]"));

    Request request;
    const bool parsed = parser.parse(arguments);
    if (parsed && parser.isSet(help)) {
        request.action = Request::Action::PrintHelp;
        // Without the application object there is no usage line to print yet.
        if (QCoreApplication::instance())
            request.output = parser.helpText();
        return request;
    }
    if (parsed && parser.isSet(version)) {
        request.action = Request::Action::PrintVersion;
        request.output = kProgramName + u' ' + QStringLiteral(QUILLET_VERSION) + u'\n';
        return request;
    }
    const QStringList files = parser.positionalArguments();
    QString error;
    if (!parsed)
        error = parser.errorText();
    else if (files.size() > 1)
        error = QStringLiteral("一次只能打开一个文件。");
    else if (files.size() == 1 && files.constFirst().isEmpty())
        error = QStringLiteral("文件名为空。");
    if (!error.isEmpty()) {
        const QString program =
            arguments.isEmpty() ? QStringLiteral("quillet") : QFileInfo(arguments[0]).fileName();
        request.action = Request::Action::Fail;
        request.output = program + QStringLiteral(": ") + error + u'\n' +
                         QStringLiteral("用 %1 --help 查看用法。").arg(program) + u'\n';
        return request;
    }
    if (!files.isEmpty()) {
        // By hand, not QFileInfo: the name's bytes that are not UTF-8 stay.
        const QString& file = files.constFirst();
        // Without a current directory, the system resolves a relative name.
        const std::optional<QString> directory = currentDirectory();
        request.file = withoutDotParts(
            QDir::isAbsolutePath(file) || !directory ? file : *directory + u'/' + file);
    }
    return request;
}

bool openRequested(Form1& form, const Request& request) {
    if (request.action != Request::Action::OpenWindow || request.file.isEmpty())
        return true;
    return form.openInputFile(request.file);
}

} // namespace command_line
