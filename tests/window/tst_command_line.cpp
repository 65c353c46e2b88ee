#include "host/text_box.h"
#include "scripted_host.h"
#include "window/command_line.h"
#include "window/form1.h"

#include <QDir>
#include <QFile>
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

// What a user sees of the input document.
struct Seen {
    QString text, title, fileName;
    bool changed = false;
    QList<ScriptedHost::Message> messages;
};

Seen seen(const Form1& form, const ScriptedHost& host) {
    return {form.Text1->text(), form.windowTitle(), form.InputFileName, form.InputChanged,
            host.messages};
}

} // namespace

class TstCommandLine : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

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
        QTest::addColumn<bool>("window"); // made before the arguments are parsed
        QTest::newRow("no file") << QStringList() << Action::OpenWindow << QString() << QString()
                                 << true;
        QTest::newRow("relative") << QStringList{"my notes.txt"} << Action::OpenWindow
                                  << "my notes.txt" << QString() << true;
        QTest::newRow("dot dot") << QStringList{"../x/a.txt"} << Action::OpenWindow << "../x/a.txt"
                                 << QString() << true;
        QTest::newRow("name like an option")
            << QStringList{"--", "--help"} << Action::OpenWindow << "--help" << QString() << true;
        QTest::newRow("version") << QStringList{"--version"} << Action::PrintVersion << QString()
                                 << "Quillet 1.01\n"
                                 << false;
        QTest::newRow("-v with a file")
            << QStringList{"a.txt", "-v"} << Action::PrintVersion << QString() << "Quillet 1.01\n"
            << false;
        QTest::newRow("help") << QStringList{"-h"} << Action::PrintHelp << QString() << "[文件]"
                              << false;
        QTest::newRow("help all") << QStringList{"--help-all"} << Action::PrintHelp << QString()
                                  << "--version" << false;
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << Action::Fail << QString() << "bogus" << true;
        QTest::newRow("unknown option and help")
            << QStringList{"--bogus", "--help"} << Action::Fail << QString() << "bogus" << false;
        QTest::newRow("two files") << QStringList{"a.txt", "b.txt"} << Action::Fail << QString()
                                   << "一次只能打开一个文件" << true;
        QTest::newRow("empty name")
            << QStringList{""} << Action::Fail << QString() << "文件名为空" << true;
    }
    void parse() {
        QFETCH(QStringList, args);
        QFETCH(Action, action);
        QFETCH(QString, file);
        QFETCH(QString, output);
        QFETCH(bool, window);
        const command_line::Request request = parseArgs(args);
        QCOMPARE(request.action, action);
        QCOMPARE(request.file, file.isEmpty()
                                   ? QString()
                                   : QDir::cleanPath(QDir::current().absoluteFilePath(file)));
        QVERIFY2(request.output.contains(output), qPrintable(request.output));
        QCOMPARE(needsWindow(args), window);
        // A start without the window's application object cannot show the window.
        QVERIFY(window || action != Action::OpenWindow);
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
            write(name, bytes);

        ScriptedHost host;
        Form1 form(host);
        const command_line::Request request = parseArgs({name});
        QCOMPARE(command_line::openRequested(form, request), !bytes.isNull());
        const Seen fromCommandLine = seen(form, host);

        QVERIFY(fromCommandLine.text.startsWith(text));
        QCOMPARE(fromCommandLine.title, title);
        QCOMPARE(fromCommandLine.changed, false);
        QCOMPARE(fromCommandLine.fileName, bytes.isNull() ? QString() : dir.filePath(name));
        if (message.isEmpty()) {
            QVERIFY(fromCommandLine.messages.isEmpty());
        } else {
            QCOMPARE(fromCommandLine.messages.size(), 1);
            QVERIFY(fromCommandLine.messages[0].prompt.contains(message));
            QCOMPARE(fromCommandLine.messages[0].title, QStringLiteral("Quillet"));
        }

        ScriptedHost dialogHost;
        dialogHost.chosenFiles.push_back(dir.filePath(name));
        Form1 dialogForm(dialogHost);
        dialogForm.MuOpen_Click();
        const Seen fromDialog = seen(dialogForm, dialogHost);
        QCOMPARE(fromCommandLine.text, fromDialog.text);
        QCOMPARE(fromCommandLine.title, fromDialog.title);
        QCOMPARE(fromCommandLine.fileName, fromDialog.fileName);
        QCOMPARE(fromCommandLine.messages.size(), fromDialog.messages.size());
        for (qsizetype i = 0; i < fromDialog.messages.size(); ++i) {
            QCOMPARE(fromCommandLine.messages[i].prompt, fromDialog.messages[i].prompt);
            QCOMPARE(fromCommandLine.messages[i].style, fromDialog.messages[i].style);
        }
    }

    // A file that cannot be read leaves what the box held.
    void unreadableKeepsText() {
        ScriptedHost host;
        Form1 form(host);
        form.Text1->setText(QStringLiteral("kept"));
        QVERIFY(!command_line::openRequested(form, parseArgs({dir.path()})));
        QCOMPARE(form.Text1->text(), QStringLiteral("kept"));
        QCOMPARE(host.messages.size(), 1);
        QCOMPARE(host.messages[0].style, 16);
    }
};

QTEST_MAIN(TstCommandLine)
#include "tst_command_line.moc"
