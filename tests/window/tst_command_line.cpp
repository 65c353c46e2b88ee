#include "file_fixtures.h"
#include "host/file_name.h"
#include "host/text_box.h"
#include "scripted_host.h"
#include "window/command_line.h"
#include "window/form1.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>
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
        row("dots and slashes", {".//b/./a.txt"}, Action::OpenWindow, "b/a.txt", "");
        row("name like an option", {"--", "--help"}, Action::OpenWindow, "--help", "");
        row("version", {"--version"}, Action::PrintVersion, "", "Quillet 1.01\n");
        row("-v with a file", {"a.txt", "-v"}, Action::PrintVersion, "", "Quillet 1.01\n");
        row("help", {"-h"}, Action::PrintHelp, "", "[文件]");
        // Qt's options are not ours to list: --help-all is no option.
        row("help all", {"--help-all"}, Action::Fail, "", "help-all");
        row("help, long", {"--help"}, Action::PrintHelp, "", "--version");
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
        // ".." stays for the system to follow: after a symbolic link it is not
        // the directory the name's text shows.
        QCOMPARE(request.file, file.isEmpty() ? QString() : QDir::current().absoluteFilePath(file));
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

    // "link/../x.txt" is the x.txt beside the directory the link names, as the
    // system and the shell read it, not the one beside the link.
    void dotDotAfterLink() {
        const QDir top(dir.filePath(QStringLiteral("dots")));
        QVERIFY(top.mkpath(QStringLiteral("real/sub")));
        QVERIFY(QFile::link(top.filePath(QStringLiteral("real/sub")),
                            top.filePath(QStringLiteral("link"))));
        writeBytes(top.filePath(QStringLiteral("real/x.txt")), "real\r\n");
        writeBytes(top.filePath(QStringLiteral("x.txt")), "beside the link\r\n");
        ScriptedHost host;
        Form1 form(host);
        QVERIFY(
            command_line::openRequested(form, parseArgs({QStringLiteral("dots/link/../x.txt")})));
        QCOMPARE(form.Text1->text(), QStringLiteral("real"));
        form.Text1->setSelStart(4);
        form.Text1->setSelText(QStringLiteral("!"));
        form.MuSave_Click();
        QCOMPARE(readBytes(top.filePath(QStringLiteral("real/x.txt"))), QByteArray("real!\r\n"));
        QCOMPARE(readBytes(top.filePath(QStringLiteral("x.txt"))),
                 QByteArray("beside the link\r\n"));
    }

    // In a current directory that was removed, a relative name stays relative
    // for the system: it is no name under "/".
    void removedCurrentDirectory() {
        const QString gone = dir.filePath(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(gone));
        QVERIFY(QDir::setCurrent(gone));
        QVERIFY(QDir().rmdir(gone));
        const command_line::Request request = parseArgs({QStringLiteral("./x.txt")});
        QVERIFY(QDir::setCurrent(dir.path()));
        QCOMPARE(request.action, Action::OpenWindow);
        QCOMPARE(request.file, QStringLiteral("x.txt"));
    }

    // A name from a Windows archive, GBK bytes: its bytes reach the system
    // call, the title shows it decoded as GBK, and a save keeps the name.
    void nameThatIsNotUtf8() {
        const QByteArray name("\xB2\xE2\xCA\xD4.txt"); // 测试.txt in GBK
        const QByteArray full = QFile::encodeName(dir.path()) + '/' + name;
        {
            QFile f;
            const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            QVERIFY(f.open(fd, QIODevice::WriteOnly, QFile::AutoCloseHandle));
            f.write("\xD6\xD0\xCE\xC4\r\n");
        }
        const char* argv[] = {"quillet", name.constData()};
        const command_line::Request request = command_line::parse(command_line::arguments(2, argv));
        QCOMPARE(request.action, Action::OpenWindow);
        ScriptedHost host;
        Form1 form(host);
        QVERIFY(command_line::openRequested(form, request));
        QCOMPARE(form.Text1->text(), QStringLiteral("中文"));
        QCOMPARE(form.windowTitle(), QStringLiteral("测试.txt - Quillet"));
        form.Text1->setSelStart(2);
        form.Text1->setSelText(QStringLiteral("!"));
        host.answers = {msgbox::No};
        form.MuSave_Click();
        QVERIFY2(host.messages.isEmpty(), qPrintable(host.shown().join(u'\n')));
        QFile saved;
        const int fd = ::open(full.constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        QVERIFY(saved.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle));
        QCOMPARE(saved.readAll(), QByteArray("\xD6\xD0\xCE\xC4!\r\n"));
        // Save As offers the name as the user reads it.
        host.chosenFiles.push_back(QString(QChar(u'\0')));
        form.MuSaveAs_Click();
        QCOMPARE(host.dialogs.value(0).fileName, dir.path() + QStringLiteral("/测试.txt"));
        // One entry: the same name, no second file beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 0);
        QCOMPARE(::access(full.constData(), F_OK), 0);
        ::unlink(full.constData());
    }

    // Names as bytes and back, and as the user reads them.
    void fileNames_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("display");
        QTest::newRow("utf-8") << QByteArray("/tmp/测试.txt") << QStringLiteral("/tmp/测试.txt");
        QTest::newRow("gbk") << QByteArray("/tmp/\xB2\xE2\xCA\xD4.txt")
                             << QStringLiteral("/tmp/测试.txt");
        QTest::newRow("utf-8 directory, gbk name")
            << QByteArray("/目录/\xB2\xE2\xCA\xD4.txt") << QStringLiteral("/目录/测试.txt");
        // Not UTF-8, so read as GBK: whatever the bytes say there.
        QTest::newRow("cut utf-8 sequence") << QByteArray("a\xE4\xB8") << QStringLiteral("a涓");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << QStringLiteral("蜡");
    }
    void fileNames() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, display);
        const QString name = file_name::fromBytes(bytes);
        QCOMPARE(file_name::toBytes(name), bytes);
        QCOMPARE(file_name::display(name), display);
    }

    // Without a display the program says so in Chinese and ends with status 1;
    // help and version still work.
    void noDisplay_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("display"); // DISPLAY; empty: unset
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // on stdout, or stderr for status 1
        QTest::newRow("file, no display") << QStringList{"a.txt"} << "" << 1 << "图形显示环境";
        QTest::newRow("no display that answers") << QStringList{} << ":97" << 1 << "图形显示环境";
        QTest::newRow("help") << QStringList{"--help"} << "" << 0 << "[文件]";
        QTest::newRow("version") << QStringList{"--version"} << "" << 0 << "Quillet 1.01";
    }
    void noDisplay() {
        QFETCH(QStringList, args);
        QFETCH(QString, display);
        QFETCH(int, status);
        QFETCH(QString, output);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(v));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QUILLET_PROGRAM), args);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QString said = QString::fromUtf8(status ? program.readAllStandardError()
                                                      : program.readAllStandardOutput());
        QVERIFY2(said.contains(output), qPrintable(said));
        if (status)
            QVERIFY2(said.contains(QStringLiteral("--help")), qPrintable(said));
    }
};

QTEST_MAIN(TstCommandLine)
#include "tst_command_line.moc"
