#include "file_fixtures.h"
#include "host/text_box.h"
#include "scripted_host.h"
#include "window/command_line.h"
#include "window/form1.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using Action = command_line::Request::Action;
Q_DECLARE_METATYPE(Action)

namespace {

command_line::Request parseArgs(const QStringList& args) {
    return command_line::parse(QStringList{QStringLiteral("/usr/bin/quillet")} + args);
}

bool needsWindow(const QStringList& args) {
    std::vector<QByteArray> bytes{QByteArray("quillet")};
    for (const QString& arg : args)
        bytes.push_back(arg.toLocal8Bit());
    std::vector<const char*> argv;
    for (const QByteArray& b : bytes)
        argv.push_back(b.constData());
    return command_line::needsWindow(int(argv.size()), argv.data());
}

} // namespace

class TstCommandLine : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QVERIFY(QDir::setCurrent(dir.path()));
    }

    void parse_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("file"); // relative to the current directory
        QTest::addColumn<QString>("output");
        auto row = [](const char* name, const QStringList& args, Action action, const char* file,
                      const char* output) {
            QTest::newRow(name) << args << action << QString::fromUtf8(file)
                                << QString::fromUtf8(output);
        };
        row("no file", {}, Action::OpenWindow, "", "");
        row("relative", {"my notes.txt"}, Action::OpenWindow, "my notes.txt", "");
        row("dot dot", {"../x/a.txt"}, Action::OpenWindow, "../x/a.txt", "");
        row("name like an option", {"--", "--help"}, Action::OpenWindow, "--help", "");
        row("version", {"--version"}, Action::PrintVersion, "", "Quillet 1.01\n");
        row("-v with a file", {"a.txt", "-v"}, Action::PrintVersion, "", "Quillet 1.01\n");
        row("help", {"-h"}, Action::PrintHelp, "", "[文件]");
        row("help all", {"--help-all"}, Action::PrintHelp, "", "--version");
        row("unknown option", {"--bogus"}, Action::Fail, "", "bogus");
        row("unknown option and help", {"--bogus", "--help"}, Action::Fail, "", "bogus");
        row("two files", {"a.txt", "b.txt"}, Action::Fail, "", "一次只能打开一个文件");
        row("empty name", {""}, Action::Fail, "", "文件名为空");
    }
    void parse() {
        QFETCH(QStringList, args);
        QFETCH(Action, action);
        QFETCH(QString, file);
        QFETCH(QString, output);
        const command_line::Request request = parseArgs(args);
        QCOMPARE(request.action, action);
        QCOMPARE(request.file, file.isEmpty()
                                   ? QString()
                                   : QDir::cleanPath(QDir::current().absoluteFilePath(file)));
        QVERIFY2(request.output.contains(output), qPrintable(request.output));
        // Decided before any application object exists: only a start that opens
        // the window needs a display; help, version and errors print without one.
        QCOMPARE(needsWindow(args), action == Action::OpenWindow);
    }

    // The command line opens a file exactly as Open does after its dialog.
    void openLikeOpen_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no such file
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::newRow("gbk") << QByteArray("\xd6\xd0\xce\xc4\r\n\xb5\xda\xb6\xfe\xd0\xd0\r\n")
                             << QStringLiteral("中文\r\n第二行") << "in file.txt - Quillet"
                             << QString();
        QTest::newRow("undecodable bytes")
            << QByteArray("ab\xff\xfe\xff") << QStringLiteral("ab") << "in file.txt - Quillet"
            << QStringLiteral("无法识别的字节");
        QTest::newRow("missing") << QByteArray() << QString() << "未命名 - Quillet"
                                 << QStringLiteral("错误:2\r\n");
    }
    void openLikeOpen() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, message);
        const QString name = QStringLiteral("in file.txt");
        QFile::remove(dir.filePath(name));
        if (!bytes.isNull())
            writeBytes(dir.filePath(name), bytes);

        ScriptedHost host;
        Form1 form(host);
        QCOMPARE(command_line::openRequested(form, parseArgs({name})), !bytes.isNull());
        QVERIFY(form.Text1->text().startsWith(text));
        QCOMPARE(form.windowTitle(), title);
        QVERIFY(!form.InputChanged);
        QCOMPARE(form.InputFileName, bytes.isNull() ? QString() : dir.filePath(name));
        QCOMPARE(host.messages.size(), int(!message.isEmpty()));
        QVERIFY(host.messages.isEmpty() || host.messages[0].prompt.contains(message));

        ScriptedHost dialogHost;
        dialogHost.chosenFiles.push_back(dir.filePath(name));
        Form1 dialogForm(dialogHost);
        dialogForm.MuOpen_Click();
        QCOMPARE(form.Text1->text(), dialogForm.Text1->text());
        QCOMPARE(form.windowTitle(), dialogForm.windowTitle());
        QCOMPARE(form.InputFileName, dialogForm.InputFileName);
        QCOMPARE(host.shown(), dialogHost.shown());
    }
};

QTEST_MAIN(TstCommandLine)
#include "tst_command_line.moc"
