#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>

namespace {

const QString kUntitledTitle = QStringLiteral("未命名 - Quillet");
const QString kPromptUntitled = QStringLiteral("文件 未命名 的文字已经改变\r\n想保存文件吗?");

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
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
        QTest::newRow("lf then cr")
            << QByteArray("\n\r") << QStringLiteral("\n") << QByteArray("\n\r\n");
        QTest::newRow("gbk") << QByteArray("\xD6\xD0\xCE\xC4\r\n") << QStringLiteral("中文")
                             << QByteArray("\xD6\xD0\xCE\xC4\r\n");
        QTest::newRow("gb18030 four bytes")
            << QByteArray("\x94\x39\xFC\x36") << QStringLiteral("\U0001F600")
            << QByteArray("\x94\x39\xFC\x36\r\n");
        QTest::newRow("utf-8 stays utf-8")
            << QByteArray("\xE4\xB8\xAD\xE6\x96\x87") << QStringLiteral("中文")
            << QByteArray("\xE4\xB8\xAD\xE6\x96\x87\r\n");
        QTest::newRow("utf-8 keeps its mark")
            << QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD\r\n") << QStringLiteral("中")
            << QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD\r\n");
    }

    void openAndSaveKeepBytes() {
        QFETCH(QByteArray, file);
        QFETCH(QString, box);
        QFETCH(QByteArray, saved);
        const QString p = path(QStringLiteral("in.txt"));
        writeBytes(p, file);
        open(p);
        QCOMPARE(form->Text1->text(), box);
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
    }

    void openDialogRequest() {
        form->InputFileName = path(QStringLiteral("named.txt"));
        form->MuOpen_Click();
        QCOMPARE(host.dialogs.size(), 1);
        const FileDialogRequest& r = host.dialogs.first();
        QVERIFY(r.openMode);
        QCOMPARE(r.filterText, QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|"));
        QCOMPARE(r.filterIndex, 1);
        QCOMPARE(r.dialogFlags, 8204);
        QVERIFY(r.dialogTitle.isEmpty() && r.initialDir.isEmpty());
        QCOMPARE(r.fileName, form->InputFileName);
        form->MuSaveAs2_Click();
        QCOMPARE(host.dialogs.size(), 2);
        QVERIFY(!host.dialogs[1].openMode);
        QCOMPARE(host.dialogs[1].filterText,
                 QStringLiteral("Text File(*.txt)|*.txt|All Files(*.*)|*.*|"));
        QCOMPARE(host.dialogs[1].dialogFlags, 8202);
        QCOMPARE(host.dialogs[1].fileName, form->InputFileName);
        QVERIFY(form->OutputFileName.isEmpty());
    }

    void openShowsTextInTheNormalStyle() {
        form->Text1->setFontItalic(true);
        form->Text1->setText(QStringLiteral("输入:"));
        const QString p = path(QStringLiteral("a.txt"));
        writeBytes(p, "x");
        open(p);
        QVERIFY(!form->Text1->fontItalic());
        QCOMPARE(form->Text1->text(), QStringLiteral("x"));
    }

    void promptBeforeOpening() {
        typeInto(QStringLiteral("draft"));
        const QString p = path(QStringLiteral("a.txt"));
        writeBytes(p, "file");

        host.answers = {msgbox::Cancel};
        form->MuOpen_Click();
        QCOMPARE(host.messages.size(), 1);
        QCOMPARE(host.messages[0].prompt, kPromptUntitled);
        QCOMPARE(host.messages[0].style, 51);
        QCOMPARE(host.messages[0].title, QStringLiteral("Quillet"));
        QVERIFY(host.dialogs.isEmpty());

        // Yes saves (Save As, being untitled) and opens nothing.
        host.answers = {msgbox::Yes};
        host.chosenFiles = {path(QStringLiteral("draft.txt")), p};
        form->MuOpen_Click();
        QCOMPARE(host.dialogs.size(), 1);
        QVERIFY(!host.dialogs[0].openMode);
        QCOMPARE(readBytes(path(QStringLiteral("draft.txt"))), QByteArray("draft\r\n"));
        QCOMPARE(form->Text1->text(), QStringLiteral("draft"));
        QCOMPARE(form->windowTitle(), QStringLiteral("draft.txt - Quillet"));

        typeInto(QStringLiteral("!"));
        host.answers = {msgbox::No};
        host.chosenFiles = {p};
        form->MuOpen_Click();
        QCOMPARE(host.messages.last().prompt,
                 QStringLiteral("文件 ") + path(QStringLiteral("draft.txt")) +
                     QStringLiteral(" 的文字已经改变\r\n想保存文件吗?"));
        QCOMPARE(form->Text1->text(), QStringLiteral("file"));
        QCOMPARE(readBytes(path(QStringLiteral("draft.txt"))), QByteArray("draft\r\n"));
    }

    void saveWhenUntitledRunsSaveAs() {
        typeInto(QStringLiteral("t"));
        form->MuSave_Click(); // the dialog is cancelled
        QCOMPARE(host.dialogs.size(), 1);
        QVERIFY(form->InputChanged);
        QCOMPARE(form->windowTitle(), u'*' + kUntitledTitle);
        QVERIFY(form->InputFileName.isEmpty());
    }

    void saveAsSetsTheName() {
        typeInto(QStringLiteral("t"));
        const QString p = path(QStringLiteral("notes.txt"));
        host.chosenFiles = {p};
        form->MuSaveAs_Click();
        QCOMPARE(form->InputFileName, p);
        QCOMPARE(form->windowTitle(), QStringLiteral("notes.txt - Quillet"));
        QVERIFY(!form->InputChanged);
        typeInto(QStringLiteral("u"));
        QCOMPARE(form->windowTitle(), QStringLiteral("*notes.txt - Quillet"));
        form->MuSave_Click();
        QCOMPARE(readBytes(p), QByteArray("tu\r\n"));
        QCOMPARE(form->windowTitle(), QStringLiteral("notes.txt - Quillet"));
    }

    void nameWithoutDotDoesNothing() {
        typeInto(QStringLiteral("t"));
        host.chosenFiles = {QStringLiteral("/nodot/notes")};
        form->MuSaveAs_Click();
        QVERIFY(host.messages.isEmpty());
        QVERIFY(form->InputFileName.isEmpty());
        QVERIFY(form->InputChanged);
        QVERIFY(!QFile::exists(QStringLiteral("/nodot/notes")));
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

    void missingFileReportsAndChangesNothing() {
        typeInto(QStringLiteral("keep"));
        host.answers = {msgbox::No};
        host.chosenFiles = {path(QStringLiteral("missing.txt"))};
        form->MuOpen_Click();
        QCOMPARE(host.messages.size(), 2);
        QCOMPARE(host.messages[1].prompt, QStringLiteral("错误:%1\r\n%2")
                                              .arg(ENOENT)
                                              .arg(QString::fromLocal8Bit(strerror(ENOENT))));
        QCOMPARE(host.messages[1].style, 16);
        QCOMPARE(host.messages[1].title, QStringLiteral("Quillet"));
        QCOMPARE(form->Text1->text(), QStringLiteral("keep"));
        QVERIFY(form->InputChanged);
        QVERIFY(form->InputFileName.isEmpty());
    }

    void readOnlyTargetKeepsTheChangeMark() {
        const QString p = path(QStringLiteral("ro.txt"));
        writeBytes(p, "old\r\n");
        open(p);
        typeInto(QStringLiteral("new"));
        QFile::setPermissions(p, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        form->MuSave_Click();
        QCOMPARE(host.messages.size(), 1);
        QVERIFY(host.messages[0].prompt.startsWith(QStringLiteral("错误:%1\r\n").arg(EACCES)));
        QVERIFY(form->InputChanged);
        QCOMPARE(form->windowTitle(), QStringLiteral("*ro.txt - Quillet"));
        QCOMPARE(readBytes(p), QByteArray("old\r\n"));
    }

    void directoryInTheWay() {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("d.txt")));
        typeInto(QStringLiteral("x"));
        host.chosenFiles = {path(QStringLiteral("d.txt"))};
        form->MuSaveAs_Click();
        QCOMPARE(host.messages.size(), 1);
        QVERIFY(host.messages[0].prompt.startsWith(QStringLiteral("错误:%1\r\n").arg(EISDIR)));
        QVERIFY(form->InputFileName.isEmpty());
        host.answers = {msgbox::No};
        host.chosenFiles = {path(QStringLiteral("d.txt"))};
        form->MuOpen_Click();
        QVERIFY(host.messages.last().prompt.startsWith(QStringLiteral("错误:%1\r\n").arg(EISDIR)));
        QCOMPARE(form->Text1->text(), QStringLiteral("x"));
    }

    void failedWriteLeavesTheOldFile() {
        const QString p = path(QStringLiteral("big.txt"));
        writeBytes(p, "old contents\r\n");
        open(p);
        typeInto(QString(20000, u'x'));
        // A file size limit makes the write fail half-way (EFBIG).
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        form->MuSave_Click();
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(host.messages.size(), 1);
        QVERIFY(host.messages[0].prompt.startsWith(QStringLiteral("错误:%1\r\n").arg(EFBIG)));
        QCOMPARE(readBytes(p), QByteArray("old contents\r\n"));
        QVERIFY(form->InputChanged);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files),
                 QStringList({QStringLiteral("big.txt")}));
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

    void newDocument() {
        // Without changes: no prompt.
        const QString p = path(QStringLiteral("a.txt"));
        writeBytes(p, "\xE4\xB8\xAD"); // UTF-8
        open(p);
        form->MuNew_Click();
        QVERIFY(host.messages.isEmpty());
        QCOMPARE(form->Text1->text(), QString());
        QCOMPARE(form->windowTitle(), kUntitledTitle);
        QVERIFY(form->InputFileName.isEmpty());
        QVERIFY(!form->InputChanged);
        // The next save asks for a name, and writes GBK again.
        typeInto(QStringLiteral("中"));
        host.chosenFiles = {path(QStringLiteral("b.txt"))};
        form->MuSave_Click();
        QCOMPARE(readBytes(path(QStringLiteral("b.txt"))), QByteArray("\xD6\xD0\r\n"));
    }

    void newAfterChanges() {
        typeInto(QStringLiteral("text"));
        host.answers = {msgbox::Cancel};
        form->MuNew_Click();
        QCOMPARE(form->Text1->text(), QStringLiteral("text"));
        QVERIFY(form->InputChanged);

        host.answers = {msgbox::Yes};
        host.chosenFiles = {path(QStringLiteral("saved.txt"))};
        form->MuNew_Click();
        QCOMPARE(form->Text1->text(), QStringLiteral("text"));
        QCOMPARE(readBytes(path(QStringLiteral("saved.txt"))), QByteArray("text\r\n"));
        QVERIFY(!form->InputChanged);

        typeInto(QStringLiteral("2"));
        host.answers = {msgbox::No};
        form->MuNew_Click();
        QCOMPARE(form->Text1->text(), QString());
        QCOMPARE(readBytes(path(QStringLiteral("saved.txt"))), QByteArray("text\r\n"));
        QCOMPARE(form->windowTitle(), kUntitledTitle);
    }

    void closing_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAs");
        QTest::addColumn<bool>("closes");
        QTest::newRow("no changes") << false << 0 << QString() << true;
        QTest::newRow("cancel") << true << msgbox::Cancel << QString() << false;
        QTest::newRow("no") << true << msgbox::No << QString() << true;
        QTest::newRow("yes, saved") << true << msgbox::Yes << QStringLiteral("c.txt") << true;
        QTest::newRow("yes, save as cancelled") << true << msgbox::Yes << QString() << false;
        QTest::newRow("yes, write failed")
            << true << msgbox::Yes << QStringLiteral("missing/c.txt") << false;
    }

    void closing() {
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, closes);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        if (changed)
            typeInto(QStringLiteral("unsaved"));
        if (answer)
            host.answers = {answer};
        if (!saveAs.isEmpty())
            host.chosenFiles = {path(saveAs)};
        form->MuExit_Click();
        QCOMPARE(form->isVisible(), !closes);
        QCOMPARE(host.messages.isEmpty(), !changed);
        if (!closes) {
            QCOMPARE(form->Text1->text(), QStringLiteral("unsaved"));
            QVERIFY(form->InputChanged);
        }
        if (answer == msgbox::Yes && closes)
            QCOMPARE(readBytes(path(saveAs)), QByteArray("unsaved\r\n"));
    }
};

QTEST_MAIN(TstFileCommands)
#include "tst_file_commands.moc"
