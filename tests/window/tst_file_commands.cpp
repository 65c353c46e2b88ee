#include "file_fixtures.h"
#include "form_fixtures.h"
#include "host/file_dialog.h"
#include "host/file_io.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;

const QString kUntitledTitle = QStringLiteral("未命名 - Quillet");
const QString kPromptUntitled = QStringLiteral("文件 未命名 的文字已经改变\r\n想保存文件吗?");
constexpr uid_t kNobody = 65534;

// What a save must keep of a file: owner, group, mode and link count.
QString identity(const QString& path) {
    struct stat s {};
    ::stat(QFile::encodeName(path).constData(), &s);
    return QStringLiteral("%1 %2 %3 %4").arg(s.st_uid).arg(s.st_gid).arg(s.st_mode).arg(s.st_nlink);
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

// The address space the process holds now, in bytes.
qint64 addressSpaceInUse() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readLine().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

} // namespace

class TstFileCommands : public QObject, FormFixture {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;

    QString path(const QString& name) const { return dir->filePath(name); }

    void open(const QString& file) {
        host->chosenFiles.push_back(file);
        form->MuOpen_Click();
    }

    // The one message is the file error: "错误:", the number, CR LF, a reason.
    void expectError(int number) {
        const QString prefix = QStringLiteral("16 Quillet: 错误:%1\r\n").arg(number);
        QCOMPARE(shown().size(), 1);
        QVERIFY2(shown()[0].startsWith(prefix) && shown()[0].size() > prefix.size(),
                 qPrintable(shown()[0]));
    }

    // The window's title, its file and whether it holds unsaved changes.
    QString document() const {
        return QStringLiteral("%1|%2|%3")
            .arg(form->windowTitle(), form->InputFileName,
                 form->InputChanged ? u"changed"_s : u"unchanged"_s);
    }

    void typeInto(const QString& text) {
        form->Text1->setSelStart(int(form->Text1->text().size()));
        form->Text1->setSelText(text);
    }

  private slots:
    void init() {
        start(false);
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }
    void cleanup() { stop(); }

    void openAndSaveKeepBytes_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QByteArray>("saved");
        auto row = [](const char* name, const QByteArray& file, const char* box,
                      const QByteArray& saved) {
            QTest::newRow(name) << file << QString::fromUtf8(box) << saved;
        };
        row("crlf", "a\r\nb\r\n", "a\r\nb", "a\r\nb\r\n");
        row("lone lf", "a\nb", "a\nb", "a\nb\r\n");
        row("lone cr", "a\rb\r", "a\r\nb", "a\r\nb\r\n");
        row("empty", "", "", "\r\n");
        row("one line break", "\r\n", "", "\r\n");
        row("two trailing breaks", "x\r\n\r\n", "x\r\n", "x\r\n\r\n");
        row("cr before crlf", "a\r\r\n", "a\r\n", "a\r\n\r\n");
        row("short gbk that is valid utf-8", "\xD7\xA8\xD2\xB5\r\n", "专业",
            "\xD7\xA8\xD2\xB5\r\n");
        row("gbk euro and byte ff", "\x80\xFF\r\n", "€\uF8F5", "\x80\xFF\r\n");
        row("gb18030 euro", "\xA2\xE3\r\n", "€", "\xA2\xE3\r\n");
        row("utf-8 stays utf-8", "\xE4\xB8\xAD\xE6\x96\x87", "中文",
            "\xE4\xB8\xAD\xE6\x96\x87\r\n");
        const QByteArray utf16("\xFF\xFE\x2D\x4E\r\0\n\0a\0\r\0\n\0", 14);
        row("utf-16 le keeps its mark", utf16, "中\r\na", utf16);
        // Without a mark: found by its NUL bytes, saved in its order, still without one.
        const QByteArray poemLe("\x8A\x5E\x4D\x52\x0E\x66\x08\x67\x49\x51\r\0\n\0", 14);
        row("utf-16 le without a mark", poemLe, "床前明月光", poemLe);
        const QByteArray poemBe("\x5E\x8A\x52\x4D\x66\x0E\x67\x08\x51\x49\0\r\0\n", 14);
        row("utf-16 be without a mark", poemBe, "床前明月光", poemBe);
    }

    // What a save would change is said first: at the open for bytes no
    // encoding reads (NULs outside UTF-16), at the save for a GBK character the
    // file held in both its forms (the save writes one form for both).
    void lossySavesWarn_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("atOpen");
        QTest::addColumn<QString>("atSave");
        QTest::addColumn<QByteArray>("saved");
        auto row = [](const char* name, const QByteArray& file, const char* atOpen,
                      const char* atSave, const QByteArray& saved) {
            QTest::newRow(name) << file << QString::fromUtf8(atOpen) << QString::fromUtf8(atSave)
                                << saved;
        };
        row("euro as 80 and A2 E3", "\x80\xA2\xE3\r\n", "", "单字节形式", "\x80\x80\r\n");
        row("FF and 83 39 FE 30", "\xFF\x83\x39\xFE\x30", "", "单字节形式", "\xFF\xFF\r\n");
        row("euro as A2 E3, FF as one byte", "\xA2\xE3\xFF", "", "单字节形式", "\x80\xFF\r\n");
        row("NUL bytes, odd length", QByteArray("a\0b\rc", 5), "空字节", "",
            QByteArray("a\0b\r\nc\r\n", 8));
        row("invalid bytes", "ab\xFF\xFE\xFF", "无法识别的字节", "",
            "ab\xFF\x84\x31\xA4\x37\xFF\r\n");
    }

    void lossySavesWarn() {
        QFETCH(QByteArray, file);
        QFETCH(QString, atOpen);
        QFETCH(QString, atSave);
        QFETCH(QByteArray, saved);
        const QString p = path(QStringLiteral("in.txt"));
        writeBytes(p, file);
        open(p);
        QCOMPARE(host->messages.size(), int(!atOpen.isEmpty()));
        if (!atOpen.isEmpty())
            QVERIFY2(shown()[0].startsWith(u"48 Quillet: 文件 "_s + p) &&
                         shown()[0].contains(atOpen),
                     qPrintable(shown()[0]));
        host->messages.clear();
        form->MuSave_Click();
        QCOMPARE(host->messages.size(), int(!atSave.isEmpty()));
        if (!atSave.isEmpty())
            QVERIFY2(shown()[0].startsWith(u"48 Quillet: 文件 "_s + p) &&
                         shown()[0].contains(atSave),
                     qPrintable(shown()[0]));
        QCOMPARE(readBytes(p), saved);
        // The output box is no document of the file's: it saves without the warning.
        host->messages.clear();
        showReport(form->Text1->text());
        host->chosenFiles.push_back(path(QStringLiteral("out.txt")));
        form->MuSave2_Click();
        QVERIFY(host->messages.isEmpty());
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
        QCOMPARE(looks(form->Text1), box); // no longer the placeholder
        QCOMPARE(document(), u"in.txt - Quillet|"_s + p + u"|unchanged"_s);
        QCOMPARE(form->Command6->isEnabled(), !box.isEmpty());
        QVERIFY(host->messages.isEmpty());
        form->MuSave_Click();
        QCOMPARE(readBytes(p), saved);
        // Without lone CRs, reading and writing again changes nothing.
        open(p);
        form->MuSave_Click();
        QCOMPARE(readBytes(p), saved);
        // The output box is written in the document's encoding too.
        showReport(box);
        host->chosenFiles.push_back(path(QStringLiteral("out.txt")));
        form->MuSave2_Click();
        QCOMPARE(readBytes(path(QStringLiteral("out.txt"))), saved);
        QVERIFY(host->messages.isEmpty());
    }

    // Open, New and Exit ask before unsaved input is discarded: Yes saves and
    // ends the command (Exit still closes), No goes on, Cancel changes nothing.
    void unsavedChangePrompt_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAs");  // for Yes: the Save As answer, "" cancels it
        QTest::addColumn<QString>("outcome"); // the input box, draft.txt, the window
        const int yes = msgbox::Yes, no = msgbox::No, cancel = msgbox::Cancel;
        auto row = [](const char* name, const char* command, int answer, const char* saveAs,
                      const char* outcome) {
            QTest::newRow(name) << QString(command) << answer << QString(saveAs)
                                << QString(outcome);
        };
        row("open, yes", "open", yes, "draft.txt", "draft, saved, open");
        row("open, no", "open", no, "", "file, not saved, open");
        row("open, cancel", "open", cancel, "", "draft, not saved, open");
        row("new, yes", "new", yes, "draft.txt", "draft, saved, open");
        row("new, no", "new", no, "", ", not saved, open");
        row("new, cancel", "new", cancel, "", "draft, not saved, open");
        row("exit, yes", "exit", yes, "draft.txt", "draft, saved, closed");
        row("exit, no", "exit", no, "", "draft, not saved, closed");
        row("exit, cancel", "exit", cancel, "", "draft, not saved, open");
        // Closing after a cancelled or failed save would throw the text away.
        row("exit, yes, save as cancelled", "exit", yes, "", "draft, not saved, open");
        row("exit, yes, save failed", "exit", yes, "missing/draft.txt", "draft, not saved, open");
    }

    void unsavedChangePrompt() {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QFETCH(QString, outcome);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QString fileToOpen = path(QStringLiteral("file.txt"));
        writeBytes(fileToOpen, "file");
        typeInto(QStringLiteral("draft"));
        host->answers = {answer};
        if (!saveAs.isEmpty())
            host->chosenFiles.push_back(path(saveAs));
        const bool open = command == QStringLiteral("open");
        if (open) {
            host->chosenFiles.push_back(fileToOpen);
            form->MuOpen_Click();
        } else {
            command == QStringLiteral("new") ? form->MuNew_Click() : form->MuExit_Click();
        }

        QCOMPARE(shown().value(0), QStringLiteral("51 Quillet: ") + kPromptUntitled);
        const QString draft = path(QStringLiteral("draft.txt"));
        const bool saved = QFile::exists(draft);
        QCOMPARE(u"%1, %2, %3"_s.arg(form->Text1->text(), saved ? u"saved"_s : u"not saved"_s,
                                     form->isVisible() ? u"open"_s : u"closed"_s),
                 outcome);
        QCOMPARE(readBytes(draft), saved ? QByteArray("draft\r\n") : QByteArray("<unreadable>"));
        QCOMPARE(form->InputChanged, !saved && form->Text1->text() == QStringLiteral("draft"));
        // After Yes the command ends: no open dialog is shown.
        QCOMPARE(host->dialogs.size(),
                 int(answer == msgbox::Yes) + int(open && answer == msgbox::No));
    }

    // The title shows the file title as it is, however odd; the change mark follows the state.
    void titleFollowsTheDocument() {
        for (const char* name : {"new*name.txt", "README", "a[*]b.txt"}) {
            const QString p = path(name), title = name + QStringLiteral(" - Quillet");
            typeInto(QStringLiteral("t"));
            host->chosenFiles = {p};
            form->MuSaveAs_Click();
            QCOMPARE(document(), title + u'|' + p + u"|unchanged"_s);
            typeInto(QStringLiteral("u"));
            QCOMPARE(form->windowTitle(), u'*' + title);
            form->MuSave_Click();
            QVERIFY(readBytes(p).endsWith("tu\r\n"));
            QCOMPARE(form->windowTitle(), title);
        }
        QVERIFY(host->messages.isEmpty());
    }

    // Save As of the output box names it for later saves; its placeholder is no text.
    void outputSaveAsThenSave() {
        const QString p = path(QStringLiteral("out.txt"));
        host->chosenFiles = {p};
        form->MuSaveAs2_Click(); // the output box shows "输出:" in italics
        QCOMPARE(readBytes(p), QByteArray("\r\n"));
        QCOMPARE(form->OutputFileName, p);
        QCOMPARE(document(), kUntitledTitle + u"||unchanged"_s);
        showReport(QStringLiteral("second"));
        form->MuSave2_Click();
        QCOMPARE(host->dialogs.size(), 1);
        QCOMPARE(readBytes(p), QByteArray("second\r\n"));
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
        QCOMPARE(document(), u'*' + kUntitledTitle + u"||changed"_s);
    }

    // Errors speak Chinese whatever the locale; a rare one keeps the system's text.
    void errorDescriptions_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        const std::pair<int, const char*> rows[] = {
            {ENOENT, "没有那个文件或目录"},
            {EACCES, "权限不够"},
            {EPERM, "不允许的操作"},
            {EROFS, "只读文件系统"},
            {ENOSPC, "磁盘空间不足"},
            {EDQUOT, "超出磁盘配额"},
            {EFBIG, "文件太大"},
            {EISDIR, "这是一个目录,不是文件"},
            {ENOTDIR, "路径中有一部分不是目录"},
            {ENAMETOOLONG, "文件名太长"},
            {ELOOP, "符号链接的层数过多(可能形成了循环)"},
            {EEXIST, "文件已存在"},
            {EBUSY, "设备或资源忙"},
            {ETXTBSY, "文件正被执行,不能写入"},
            {EIO, "输入/输出错误"},
            {ENOMEM, "内存不足"},
            {EMFILE, "打开的文件太多"},
            {EXDEV, "不能跨文件系统移动或链接"},
            {EINVAL, "无效的参数"},
            {ECONNREFUSED, ""}, // the system's text
        };
        for (const auto& [number, text] : rows)
            QTest::newRow(qPrintable(QString::number(number)))
                << number
                << (*text ? QString::fromUtf8(text) : QString::fromLocal8Bit(strerror(number)));
    }
    void errorDescriptions() {
        QFETCH(int, number);
        QFETCH(QString, description);
        QCOMPARE(file_io::describeError(number), description);
    }

    // A missing file's message in full, as the user reads it.
    void missingFileMessage() {
        form->openInputFile(path(QStringLiteral("missing.txt")));
        QCOMPARE(shown(), QStringList{QStringLiteral("16 Quillet: 错误:2\r\n没有那个文件或目录")});
    }

    // Open's create prompt answered 是: the dialog creates the empty file, then opens it.
    void createEmpty() {
        const QString p = path(QStringLiteral("new file"));
        QVERIFY(!file_io::createEmpty(p));
        QCOMPARE(readBytes(p), QByteArray());
        QCOMPARE(file_io::createEmpty(p)->number, EEXIST);
        QCOMPARE(createPrompt(p), p + QStringLiteral("\r\n该文件不存在。\r\n要创建该文件吗?"));
    }

    // A symbolic link to a missing file: the prompt says so, and 是 creates the
    // file the link names, never "file exists".
    void createThroughDanglingLink() {
        const QString link = path(QStringLiteral("link.txt")),
                      target = path(QStringLiteral("t.txt"));
        QVERIFY(QFile::link(target, link));
        QCOMPARE(createPrompt(link),
                 link + QStringLiteral("\r\n该文件是一个符号链接,它指向的文件不存在:\r\n") +
                     target + QStringLiteral("\r\n要创建它指向的文件吗?"));
        QVERIFY(!file_io::createEmpty(link));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readBytes(target), QByteArray());
        QVERIFY(form->openInputFile(link));
        QVERIFY(host->messages.isEmpty());
        // A link into a missing directory cannot be followed: the reason, in Chinese.
        const QString deep = path(QStringLiteral("deep.txt"));
        QVERIFY(QFile::link(path(QStringLiteral("no/such.txt")), deep));
        const auto error = file_io::createEmpty(deep);
        QVERIFY(error);
        QCOMPARE(error->number, ENOENT);
        QCOMPARE(error->description, QStringLiteral("没有那个文件或目录"));
    }

    // Saving keeps the file what it was: its links, owner, group and mode. A save
    // that fails says why and keeps the file, the change mark and no temporary file.
    void save_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error"); // 0: the save succeeds
        auto row = [](const char* name, const char* kind, int error = 0) {
            QTest::newRow(name) << QString::fromUtf8(kind) << error;
        };
        row("second hard link", "hard link");
        row("symbolic link", "symlink");
        row("mode", "mode");
        row("another user's file in a sticky directory", "owner");
        row("directory the user cannot write", "directory");
        row("read-only file", "readonly", EACCES);
        row("directory in the way", "in the way: directory", EISDIR);
        row("pipe in the way", "in the way: pipe", EINVAL);
        // A file-size limit fails the write (EFBIG) instead of ending the process.
        row("size limit", "limit", EFBIG);
        row("size limit, written in place", "limit, hard link", EFBIG);
        row("size limit, directory the user cannot write", "limit, directory", EFBIG);
    }

    void save() {
        QFETCH(QString, kind);
        QFETCH(int, error);
        const bool root = ::geteuid() == 0;
        if (kind == QStringLiteral("owner") && !root)
            QSKIP("only root can give a file to another user");
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("d")));
        const QString d = path(QStringLiteral("d")), p = d + QStringLiteral("/f.txt");
        writeBytes(p, "old\r\n");
        const QByteArray name = QFile::encodeName(p);
        QString opened = p;
        uid_t actAs = ::geteuid();
        if (kind.endsWith(QStringLiteral("hard link"))) {
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
        } else if (kind.endsWith(QStringLiteral("directory"))) {
            // As root, act as another user: root may write any directory.
            if (root) {
                QCOMPARE(::chmod(QFile::encodeName(dir->path()).constData(), 0755), 0);
                QCOMPARE(::chown(name.constData(), kNobody, kNobody), 0);
                actAs = kNobody;
            }
            QCOMPARE(::chmod(QFile::encodeName(d).constData(), 0555), 0);
        }
        const QString before = identity(p);
        open(opened);
        // Over the 4,096-byte limit, yet small enough that a buffered write
        // would take every byte and only its flush fail.
        typeInto(error ? QString(5000, u'x') : QStringLiteral("new"));
        if (kind == QStringLiteral("readonly")) {
            QFile::setPermissions(p, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        } else if (kind.startsWith(QStringLiteral("in the way: "))) {
            QFile::remove(p);
            makeSpecial(kind.mid(12), p);
        }
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 4096;
        if (kind.startsWith(QStringLiteral("limit")))
            setrlimit(RLIMIT_FSIZE, &small);
        QCOMPARE(::seteuid(actAs), 0);
        form->MuSave_Click();
        QCOMPARE(::seteuid(root ? 0 : actAs), 0);
        setrlimit(RLIMIT_FSIZE, &old);
        ::chmod(QFile::encodeName(d).constData(), 0755);

        if (error) {
            expectError(error);
            QCOMPARE(document(), u"*f.txt - Quillet|"_s + p + u"|changed"_s);
            if (QFileInfo(p).isFile())
                QCOMPARE(readBytes(p), QByteArray("old\r\n"));
            for (const QString& entry : QDir(d).entryList(QDir::Files | QDir::System))
                QVERIFY2(entry == QStringLiteral("f.txt") || entry == u'h', qPrintable(entry));
            return;
        }
        QVERIFY2(host->messages.isEmpty(), qPrintable(host->messages.value(0).prompt));
        QVERIFY(!form->InputChanged);
        QCOMPARE(readBytes(p), QByteArray("oldnew\r\n"));
        QCOMPARE(identity(p), before);
        if (kind == QStringLiteral("hard link"))
            QCOMPARE(readBytes(d + QStringLiteral("/h")), QByteArray("oldnew\r\n"));
        if (kind == QStringLiteral("symlink"))
            QVERIFY(QFileInfo(opened).isSymLink());
    }

    // A save whose copy of the text finds no memory says so and keeps the file
    // and the change mark: the program goes on, the text can still be saved.
    void saveWithoutMemoryForItsCopy() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer reserves more address space than any limit leaves");
#endif
        const QString p = path(QStringLiteral("big.txt"));
        writeBytes(p, "old\r\n");
        open(p);
        // 40 MB a copy: above malloc's mmap threshold, each copy needs new space.
        typeInto(QString(20'000'000, u'x'));
        QVERIFY(form->InputChanged);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_AS, &old), 0);
        rlimit tight = old;
        tight.rlim_cur = rlim_t(addressSpaceInUse() + 8 * 1024 * 1024);
        QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
        form->MuSave_Click();
        QCOMPARE(setrlimit(RLIMIT_AS, &old), 0);
        expectError(ENOMEM);
        QVERIFY(form->InputChanged);
        QCOMPARE(readBytes(p), QByteArray("old\r\n"));
    }

    // Half of an emoji in the output box: the save warns, then writes "?".
    void unencodableCharactersWarnFirst() {
        showReport(QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("b") + QChar(0xDE00));
        const QString p = path(QStringLiteral("out.txt"));
        host->chosenFiles = {p};
        form->MuSaveAs2_Click();
        QCOMPARE(shown().size(), 1);
        QVERIFY(shown()[0].startsWith(u"48 ") && shown()[0].contains(u" 2 ") &&
                shown()[0].contains(u"\"?\""));
        QCOMPARE(readBytes(p), QByteArray("a?b?\r\n"));
    }

    // The encoding decided when a file is opened lasts until New; New asks
    // first, and only when there are changes.
    void documentEncodingLastsUntilNew() {
        const QString p = path(QStringLiteral("u16.txt"));
        writeBytes(p, QByteArray("\xFF\xFEx\0", 4));
        open(p);
        typeInto(QStringLiteral("y"));
        host->answers = {msgbox::No};
        form->MuNew_Click();
        QCOMPARE(host->messages[0].prompt,
                 QStringLiteral("文件 ") + p + QStringLiteral(" 的文字已经改变\r\n想保存文件吗?"));
        QCOMPARE(document(), kUntitledTitle + u"||unchanged"_s);
        QVERIFY(!form->Text1->canUndo()); // New starts a fresh history
        typeInto(QStringLiteral("中"));
        host->chosenFiles = {path(QStringLiteral("b.txt"))};
        form->MuSave_Click(); // untitled: Save As
        QCOMPARE(readBytes(path(QStringLiteral("b.txt"))), QByteArray("\xD6\xD0\r\n"));
        form->MuNew_Click();
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(host->dialogs.size(), 2);
        typeInto(QStringLiteral("z"));
        host->answers = {msgbox::No};
        open(p);
        QCOMPARE(form->Text1->text(), QStringLiteral("x"));
        QVERIFY(!form->Text1->canUndo()); // so does Open
    }
};

QTEST_MAIN(TstFileCommands)
#include "tst_file_commands.moc"
