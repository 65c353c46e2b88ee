#include "host/file_io.h"
#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <climits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kUntitledTitle = QStringLiteral("未命名 - Quillet");
const QString kPromptUntitled = QStringLiteral("文件 未命名 的文字已经改变\r\n想保存文件吗?");
constexpr uid_t kNobody = 65534;

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct stat statOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info;
}

// Puts a directory, a pipe, a link to /dev/zero or a huge sparse file at the path.
void makeSpecial(const QString& kind, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (kind == QStringLiteral("directory")) {
        QCOMPARE(::mkdir(name.constData(), 0755), 0);
    } else if (kind == QStringLiteral("pipe")) {
        QCOMPARE(::mkfifo(name.constData(), 0644), 0);
    } else if (kind == QStringLiteral("zero")) {
        QCOMPARE(::symlink("/dev/zero", name.constData()), 0);
    } else if (kind == QStringLiteral("large")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(INT_MAX) + 1)); // sparse: takes no disk space
    }
}

} // namespace

class TstFileCommands : public QObject {
    Q_OBJECT

    ScriptedHost host;
    std::unique_ptr<Form1> form;
    std::unique_ptr<QTemporaryDir> dir;

    QString path(const QString& name) const { return dir->filePath(name); }

    void open(const QString& file) {
        host.chosenFiles.push_back(file);
        form->MuOpen_Click();
    }

    // The one message is the file error: "错误:", the number, CR LF, a reason.
    void expectError(int number) {
        QCOMPARE(host.messages.size(), 1);
        const QString prefix = QStringLiteral("错误:%1\r\n").arg(number);
        QVERIFY2(host.messages[0].prompt.startsWith(prefix), qPrintable(host.messages[0].prompt));
        QVERIFY(host.messages[0].prompt.size() > prefix.size());
        QCOMPARE(host.messages[0].style, 16);
        QCOMPARE(host.messages[0].title, QStringLiteral("Quillet"));
    }

    void typeInto(const QString& text) {
        form->Text1->setSelStart(int(form->Text1->text().size()));
        form->Text1->setSelText(text);
    }

  private slots:
    void init() {
        host = ScriptedHost();
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        form = std::make_unique<Form1>(host);
    }
    void cleanup() {
        form->InputChanged = false;
        form.reset();
    }

    void openAndSaveKeepBytes_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\r\nb")
                              << QByteArray("a\r\nb\r\n");
        QTest::newRow("lone lf") << QByteArray("a\nb") << QStringLiteral("a\nb")
                                 << QByteArray("a\nb\r\n");
        QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb")
                                 << QByteArray("a\r\nb\r\n");
        QTest::newRow("empty") << QByteArray() << QString() << QByteArray("\r\n");
        QTest::newRow("one line break") << QByteArray("\r\n") << QString() << QByteArray("\r\n");
        QTest::newRow("two trailing breaks")
            << QByteArray("x\r\n\r\n") << QStringLiteral("x\r\n") << QByteArray("x\r\n\r\n");
        QTest::newRow("cr before crlf")
            << QByteArray("a\r\r\n") << QStringLiteral("a\r\n") << QByteArray("a\r\n\r\n");
        QTest::newRow("short gbk that is valid utf-8")
            << QByteArray("\xD7\xA8\xD2\xB5\r\n") << QStringLiteral("专业")
            << QByteArray("\xD7\xA8\xD2\xB5\r\n");
        QTest::newRow("gbk euro and byte ff")
            << QByteArray("\x80\xFF\r\n") << QStringLiteral("€\uF8F5")
            << QByteArray("\x80\xFF\r\n");
        QTest::newRow("gb18030 euro")
            << QByteArray("\xA2\xE3\r\n") << QStringLiteral("€") << QByteArray("\xA2\xE3\r\n");
        QTest::newRow("utf-8 stays utf-8")
            << QByteArray("\xE4\xB8\xAD\xE6\x96\x87") << QStringLiteral("中文")
            << QByteArray("\xE4\xB8\xAD\xE6\x96\x87\r\n");
        QTest::newRow("utf-16 le keeps its mark")
            << QByteArray("\xFF\xFE\x2D\x4E\r\0\n\0a\0\r\0\n\0", 14) << QStringLiteral("中\r\na")
            << QByteArray("\xFF\xFE\x2D\x4E\r\0\n\0a\0\r\0\n\0", 14);
    }

    void openAndSaveKeepBytes() {
        QFETCH(QByteArray, file);
        QFETCH(QString, box);
        QFETCH(QByteArray, saved);
        const QString p = path(QStringLiteral("in.txt"));
        writeBytes(p, file);
        form->Text1->setFontItalic(true); // the box shows its placeholder
        form->Text1->setText(QStringLiteral("输入:"));
        open(p);
        QCOMPARE(form->Text1->text(), box);
        QVERIFY(!form->Text1->fontItalic());
        QCOMPARE(form->InputFileName, p);
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), QStringLiteral("in.txt - Quillet"));
        QCOMPARE(form->Command6->isEnabled(), !box.isEmpty());
        QVERIFY(host.messages.isEmpty());
        form->MuSave_Click();
        QCOMPARE(readBytes(p), saved);
        // Without lone CRs, reading and writing again changes nothing.
        open(p);
        form->MuSave_Click();
        QCOMPARE(readBytes(p), saved);
        // The output box is written in the document's encoding too.
        form->Text2->setFontItalic(false);
        form->Text2->setText(box);
        host.chosenFiles.push_back(path(QStringLiteral("out.txt")));
        form->MuSave2_Click();
        QCOMPARE(readBytes(path(QStringLiteral("out.txt"))), saved);
        QVERIFY(host.messages.isEmpty());
    }

    void dialogRequests() {
        form->InputFileName = path(QStringLiteral("named.txt"));
        form->MuOpen_Click();
        form->MuSaveAs2_Click();
        QCOMPARE(host.dialogs.size(), 2);
        const FileDialogRequest& open = host.dialogs[0];
        const FileDialogRequest& save = host.dialogs[1];
        QVERIFY(open.openMode && !save.openMode);
        QCOMPARE(open.filterText, QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|"));
        QCOMPARE(save.filterText, QStringLiteral("Text File(*.txt)|*.txt|All Files(*.*)|*.*|"));
        QCOMPARE(QList<int>({open.dialogFlags, save.dialogFlags}), QList<int>({8204, 8202}));
        QCOMPARE(open.fileName, form->InputFileName);
        QCOMPARE(save.fileName, form->InputFileName);
        QVERIFY(form->OutputFileName.isEmpty());
    }

    // Open, New and Exit ask before unsaved input is discarded: Yes saves and
    // ends the command (Exit still closes), No goes on, Cancel changes nothing.
    void unsavedChangePrompt_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAs"); // for Yes: the Save As answer, "" cancels it
        QTest::addColumn<QString>("text");   // the input box afterwards
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("closed");
        const QString draft = QStringLiteral("draft"), file = QStringLiteral("file");
        const QString save = QStringLiteral("draft.txt");
        for (const QString& command : {QStringLiteral("open"), QStringLiteral("new")}) {
            const QString discarded = command == QStringLiteral("open") ? file : QString();
            QTest::addRow("%s, yes", qPrintable(command))
                << command << msgbox::Yes << save << draft << true << false;
            QTest::addRow("%s, no", qPrintable(command))
                << command << msgbox::No << QString() << discarded << false << false;
            QTest::addRow("%s, cancel", qPrintable(command))
                << command << msgbox::Cancel << QString() << draft << false << false;
        }
        const QString exit = QStringLiteral("exit");
        QTest::newRow("exit, yes") << exit << msgbox::Yes << save << draft << true << true;
        QTest::newRow("exit, no") << exit << msgbox::No << QString() << draft << false << true;
        QTest::newRow("exit, cancel")
            << exit << msgbox::Cancel << QString() << draft << false << false;
        // Closing after a cancelled or failed save would throw the text away.
        QTest::newRow("exit, yes, save as cancelled")
            << exit << msgbox::Yes << QString() << draft << false << false;
        QTest::newRow("exit, yes, save failed")
            << exit << msgbox::Yes << QStringLiteral("missing/draft.txt") << draft << false
            << false;
    }

    void unsavedChangePrompt() {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QFETCH(QString, text);
        QFETCH(bool, saved);
        QFETCH(bool, closed);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QString fileToOpen = path(QStringLiteral("file.txt"));
        writeBytes(fileToOpen, "file");
        typeInto(QStringLiteral("draft"));
        host.answers = {answer};
        if (!saveAs.isEmpty())
            host.chosenFiles.push_back(path(saveAs));
        if (command == QStringLiteral("open"))
            host.chosenFiles.push_back(fileToOpen);

        if (command == QStringLiteral("open"))
            form->MuOpen_Click();
        else if (command == QStringLiteral("new"))
            form->MuNew_Click();
        else
            form->MuExit_Click();

        QVERIFY(!host.messages.isEmpty());
        QCOMPARE(host.messages[0].prompt, kPromptUntitled);
        QCOMPARE(host.messages[0].style, 51);
        QCOMPARE(host.messages[0].title, QStringLiteral("Quillet"));
        QCOMPARE(form->Text1->text(), text);
        QCOMPARE(QFile::exists(path(QStringLiteral("draft.txt"))), saved);
        if (saved)
            QCOMPARE(readBytes(path(QStringLiteral("draft.txt"))), QByteArray("draft\r\n"));
        QCOMPARE(form->isVisible(), !closed);
        const bool changed = !saved && text == QStringLiteral("draft");
        QCOMPARE(form->InputChanged, changed);
        // After Yes the command ends: no open dialog is shown.
        QCOMPARE(host.dialogs.size(),
                 int(answer == msgbox::Yes) +
                     int(command == QStringLiteral("open") && answer == msgbox::No));
    }

    // The title shows the file title as it is; the change mark follows the state.
    void titleFollowsTheDocument_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("notes.txt");
        QTest::newRow("star in the name") << QStringLiteral("new*name.txt");
        QTest::newRow("no dot is a file too") << QStringLiteral("README");
        QTest::newRow("placeholder-like") << QStringLiteral("a[*]b.txt");
    }

    void titleFollowsTheDocument() {
        QFETCH(QString, name);
        const QString p = path(name);
        writeBytes(path(QStringLiteral("st*ar.txt")), "s");
        open(path(QStringLiteral("st*ar.txt")));
        QCOMPARE(form->windowTitle(), QStringLiteral("st*ar.txt - Quillet"));
        typeInto(QStringLiteral("t"));
        QCOMPARE(form->windowTitle(), QStringLiteral("*st*ar.txt - Quillet"));
        host.chosenFiles = {p};
        form->MuSaveAs_Click();
        QCOMPARE(form->InputFileName, p);
        QCOMPARE(form->windowTitle(), name + QStringLiteral(" - Quillet"));
        QVERIFY(!form->InputChanged);
        typeInto(QStringLiteral("u"));
        QCOMPARE(form->windowTitle(), u'*' + name + QStringLiteral(" - Quillet"));
        form->MuSave_Click();
        QCOMPARE(readBytes(p), QByteArray("stu\r\n"));
        QCOMPARE(form->windowTitle(), name + QStringLiteral(" - Quillet"));
        QVERIFY(host.messages.isEmpty());
    }

    void outputSaveAsThenSave() {
        form->Text2->setFontItalic(false);
        form->Text2->setText(QStringLiteral("report"));
        const QString p = path(QStringLiteral("out.txt"));
        host.chosenFiles = {p};
        form->MuSave2_Click();
        QCOMPARE(form->OutputFileName, p);
        QCOMPARE(readBytes(p), QByteArray("report\r\n"));
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), kUntitledTitle);
        form->Text2->setText(QStringLiteral("second"));
        form->MuSave2_Click();
        QCOMPARE(host.dialogs.size(), 1);
        QCOMPARE(readBytes(p), QByteArray("second\r\n"));
    }

    void placeholderIsNotDocumentText() {
        host.chosenFiles = {path(QStringLiteral("out.txt"))};
        form->MuSaveAs2_Click(); // the output box shows "输出:" in italics
        QCOMPARE(readBytes(path(QStringLiteral("out.txt"))), QByteArray("\r\n"));
    }

    // Files that cannot be opened get the error message; nothing is read and
    // the window stays as it was. Never a hang, never a crash.
    void openRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("missing") << QStringLiteral("missing") << ENOENT;
        QTest::newRow("directory") << QStringLiteral("directory") << EISDIR;
        QTest::newRow("pipe") << QStringLiteral("pipe") << EINVAL;
        QTest::newRow("link to /dev/zero") << QStringLiteral("zero") << EINVAL;
        QTest::newRow("too large") << QStringLiteral("large") << EFBIG;
        QTest::newRow("unreadable") << QStringLiteral("unreadable") << EACCES;
    }

    void openRefused() {
        QFETCH(QString, kind);
        QFETCH(int, number);
        const QString p = path(kind + QStringLiteral(".txt"));
        makeSpecial(kind, p);
        const bool asNobody = ::geteuid() == 0 && kind == QStringLiteral("unreadable");
        if (kind == QStringLiteral("unreadable")) {
            writeBytes(p, "secret");
            QFile::setPermissions(p, QFile::WriteOwner);
            // Root reads every file: read as another user.
            QCOMPARE(::chmod(QFile::encodeName(dir->path()).constData(), 0755), 0);
        }
        typeInto(QStringLiteral("keep"));
        QCOMPARE(::seteuid(asNobody ? kNobody : ::geteuid()), 0);
        const bool opened = form->openInputFile(p);
        QCOMPARE(::seteuid(asNobody ? 0 : ::geteuid()), 0);
        QVERIFY(!opened);
        expectError(number);
        QCOMPARE(form->Text1->text(), QStringLiteral("keep"));
        QVERIFY(form->InputChanged);
        QVERIFY(form->InputFileName.isEmpty());
        QCOMPARE(form->windowTitle(), u'*' + kUntitledTitle);
    }

    // Open's create prompt answered 是: the dialog creates the empty file, which opens.
    void createdFileOpensEmpty() {
        const QString p = path(QStringLiteral("new file"));
        QVERIFY(!file_io::createEmpty(p));
        QCOMPARE(file_io::createEmpty(p)->number, EEXIST);
        open(p);
        QVERIFY(host.messages.isEmpty());
        QCOMPARE(form->Text1->text(), QString());
        QCOMPARE(form->InputFileName, p);
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), QStringLiteral("new file - Quillet"));
    }

    void saveFailureKeepsTheChangeMark_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("read-only file") << QStringLiteral("readonly") << EACCES;
        QTest::newRow("directory in the way") << QStringLiteral("directory") << EISDIR;
        QTest::newRow("pipe in the way") << QStringLiteral("pipe") << EINVAL;
        // A file-size limit fails the write (EFBIG) instead of ending the process.
        QTest::newRow("size limit") << QStringLiteral("limit") << EFBIG;
        QTest::newRow("size limit, written in place") << QStringLiteral("limit, linked") << EFBIG;
    }

    void saveFailureKeepsTheChangeMark() {
        QFETCH(QString, kind);
        QFETCH(int, number);
        const QString p = path(QStringLiteral("f.txt"));
        writeBytes(p, "old\r\n");
        open(p);
        typeInto(QString(20000, u'x'));
        if (kind == QStringLiteral("readonly")) {
            QFile::setPermissions(p, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        } else if (kind == QStringLiteral("directory") || kind == QStringLiteral("pipe")) {
            QFile::remove(p);
            makeSpecial(kind, p);
        } else if (kind == QStringLiteral("limit, linked")) {
            QCOMPARE(::link(QFile::encodeName(p).constData(),
                            QFile::encodeName(path(QStringLiteral("hard.txt"))).constData()),
                     0);
        }
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (kind.startsWith(QStringLiteral("limit"))) {
            rlimit small = old;
            small.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        form->MuSave_Click();
        setrlimit(RLIMIT_FSIZE, &old);
        expectError(number);
        QVERIFY(form->InputChanged);
        QCOMPARE(form->windowTitle(), QStringLiteral("*f.txt - Quillet"));
        if (QFileInfo(p).isFile())
            QCOMPARE(readBytes(p), QByteArray("old\r\n"));
        // No temporary file is left behind.
        for (const QString& entry : QDir(dir->path()).entryList(QDir::Files | QDir::System))
            QVERIFY2(entry.endsWith(QStringLiteral(".txt")), qPrintable(entry));
    }

    // Saving keeps the file what it was: its links, owner, group and mode.
    void saveKeepsTheFileIdentity_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("second hard link") << QStringLiteral("hard link");
        QTest::newRow("symbolic link") << QStringLiteral("symlink");
        QTest::newRow("mode") << QStringLiteral("mode");
        QTest::newRow("another user's file in a sticky directory") << QStringLiteral("owner");
        QTest::newRow("directory the user cannot write") << QStringLiteral("directory");
    }

    void saveKeepsTheFileIdentity() {
        QFETCH(QString, kind);
        const bool root = ::geteuid() == 0;
        if (kind == QStringLiteral("owner") && !root)
            QSKIP("only root can give a file to another user");
        QDir base(dir->path());
        QVERIFY(base.mkdir(QStringLiteral("d")));
        const QString d = path(QStringLiteral("d"));
        const QString p = d + QStringLiteral("/f.txt");
        writeBytes(p, "old\r\n");
        const QByteArray name = QFile::encodeName(p);
        QString opened = p;
        uid_t actAs = ::geteuid();
        if (kind == QStringLiteral("hard link")) {
            QCOMPARE(::link(name.constData(), QFile::encodeName(d + QStringLiteral("/h"))), 0);
        } else if (kind == QStringLiteral("symlink")) {
            opened = path(QStringLiteral("link.txt"));
            QVERIFY(QFile::link(p, opened));
        } else if (kind == QStringLiteral("mode")) {
            QCOMPARE(::chmod(name.constData(), 0604), 0);
        } else if (kind == QStringLiteral("owner")) {
            QCOMPARE(::chmod(QFile::encodeName(d).constData(), 01777), 0);
            QCOMPARE(::chown(name.constData(), kNobody, kNobody), 0);
            QCOMPARE(::chmod(name.constData(), 0666), 0);
        } else if (kind == QStringLiteral("directory")) {
            // As root, act as another user: root may write any directory.
            if (root) {
                QCOMPARE(::chmod(QFile::encodeName(dir->path()).constData(), 0755), 0);
                QCOMPARE(::chown(name.constData(), kNobody, kNobody), 0);
                actAs = kNobody;
            }
            QCOMPARE(::chmod(QFile::encodeName(d).constData(), 0555), 0);
        }
        const struct stat before = statOf(p);
        open(opened);
        typeInto(QStringLiteral("new"));
        QCOMPARE(::seteuid(actAs), 0);
        form->MuSave_Click();
        QCOMPARE(::seteuid(root ? 0 : actAs), 0);
        ::chmod(QFile::encodeName(d).constData(), 0755);

        QVERIFY2(host.messages.isEmpty(), qPrintable(host.messages.value(0).prompt));
        QVERIFY(!form->InputChanged);
        QCOMPARE(readBytes(p), QByteArray("oldnew\r\n"));
        const struct stat after = statOf(p);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_nlink, before.st_nlink);
        if (kind == QStringLiteral("hard link"))
            QCOMPARE(readBytes(d + QStringLiteral("/h")), QByteArray("oldnew\r\n"));
        if (kind == QStringLiteral("symlink"))
            QVERIFY(QFileInfo(opened).isSymLink());
    }

    void undecodableBytesWarn() {
        const QString p = path(QStringLiteral("bad.txt"));
        writeBytes(p, "ok\xFE");
        open(p);
        QCOMPARE(form->Text1->text(), QStringLiteral("ok\uFFFD"));
        QCOMPARE(host.messages.size(), 1);
        QCOMPARE(host.messages[0].style, 48);
        QCOMPARE(host.messages[0].title, QStringLiteral("Quillet"));
        QVERIFY(host.messages[0].prompt.contains(p));
        QCOMPARE(readBytes(p), QByteArray("ok\xFE"));
    }

    // Half of an emoji in the output box: the save warns, then writes "?".
    void unencodableCharactersWarnFirst() {
        form->Text2->setFontItalic(false);
        form->Text2->setText(QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("b") +
                             QChar(0xDE00));
        const QString p = path(QStringLiteral("out.txt"));
        host.chosenFiles = {p};
        form->MuSaveAs2_Click();
        QCOMPARE(host.messages.size(), 1);
        QCOMPARE(host.messages[0].style, 48);
        QVERIFY(host.messages[0].prompt.contains(QStringLiteral(" 2 ")));
        QVERIFY(host.messages[0].prompt.contains(QStringLiteral("\"?\"")));
        QCOMPARE(readBytes(p), QByteArray("a?b?\r\n"));
    }

    // The encoding decided when a file is opened serves every save of either
    // box until New; New asks first, and only when there are changes.
    void documentEncodingLastsUntilNew() {
        const QString p = path(QStringLiteral("u16.txt"));
        writeBytes(p, QByteArray("\xFF\xFEx\0", 4));
        open(p);
        form->Text2->setFontItalic(false);
        form->Text2->setText(QStringLiteral("中"));
        host.chosenFiles = {path(QStringLiteral("out.txt"))};
        form->MuSaveAs2_Click();
        QCOMPARE(readBytes(path(QStringLiteral("out.txt"))),
                 QByteArray("\xFF\xFE\x2D\x4E\r\0\n\0", 8));
        typeInto(QStringLiteral("y"));
        host.answers = {msgbox::No};
        form->MuNew_Click();
        QCOMPARE(host.messages[0].prompt,
                 QStringLiteral("文件 ") + p + QStringLiteral(" 的文字已经改变\r\n想保存文件吗?"));
        QCOMPARE(form->windowTitle(), kUntitledTitle);
        QVERIFY(form->InputFileName.isEmpty());
        typeInto(QStringLiteral("中"));
        host.chosenFiles = {path(QStringLiteral("b.txt"))};
        form->MuSave_Click(); // untitled: Save As
        QCOMPARE(readBytes(path(QStringLiteral("b.txt"))), QByteArray("\xD6\xD0\r\n"));
        form->MuNew_Click();
        QCOMPARE(host.messages.size(), 1);
        QCOMPARE(host.dialogs.size(), 3);
    }
};

QTEST_MAIN(TstFileCommands)
#include "tst_file_commands.moc"
