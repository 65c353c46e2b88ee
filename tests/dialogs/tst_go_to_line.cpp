#include "dialogs/form2.h"
#include "dialogs/line_index.h"
#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString kOutOfRange = QStringLiteral("行数超过范围");

// Line starts found another way: the ends of the breaks a regular expression sees.
QList<qsizetype> referenceLineStarts(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n|\u2028|\u2029"));
    QList<qsizetype> starts{0};
    for (auto it = breaks.globalMatch(text); it.hasNext();)
        starts << it.next().capturedEnd();
    return starts;
}

} // namespace

class TestGoToLine : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedHost> host;
    std::unique_ptr<Form1> form;

    Form2* openGoTo() {
        form->MuGoTo_Click();
        Form2* f = form->form2();
        Q_ASSERT(f);
        return f;
    }

  private slots:
    void init() {
        host = std::make_unique<ScriptedHost>();
        form = std::make_unique<Form1>(*host);
        form->show();
    }
    void cleanup() {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void goTo_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lineBox");
        QTest::addColumn<int>("position"); // -1: the error message
        const QString crlf = QStringLiteral("a\r\nb\r\n");
        QTest::newRow("CR LF line 1") << crlf << "1" << 0;
        QTest::newRow("CR LF line 2") << crlf << "2" << 3;
        QTest::newRow("CR LF empty last line") << crlf << "3" << 6;
        QTest::newRow("CR LF beyond") << crlf << "4" << -1;
        QTest::newRow("empty text line 1") << ""
                                           << "1" << 0;
        QTest::newRow("empty text line 2") << ""
                                           << "2" << -1;
        QTest::newRow("lone LF") << "ab\ncd\n"
                                 << "2" << 3;
        QTest::newRow("lone LF last") << "ab\ncd\n"
                                      << "3" << 6;
        QTest::newRow("lone CR") << "ab\rcd"
                                 << "2" << 3;
        QTest::newRow("LF CR is two breaks") << "a\n\rb"
                                             << "3" << 3;
        QTest::newRow("paragraph separator") << "a\u2029b"
                                             << "2" << 2;
        QTest::newRow("line separator") << "a\u2028b"
                                        << "2" << 2;
        QTest::newRow("other controls are no breaks") << "a\vb\fc\u0085d"
                                                      << "2" << -1;
        QTest::newRow("leading zeros") << "1\n2\n3\n4\n5\n6\n7\n8"
                                       << "007" << 12;
        QTest::newRow("spaces around") << "1\n2"
                                       << " 2 " << 2;
        QTest::newRow("empty box") << "abc"
                                   << "" << -1;
        QTest::newRow("not a number") << "abc"
                                      << "1a" << -1;
        QTest::newRow("fraction") << "a\nb"
                                  << "1.5" << -1;
        QTest::newRow("negative") << "a\nb"
                                  << "-1" << -1;
        QTest::newRow("eleven digits") << "abc"
                                       << "12345678901" << -1;
        QTest::newRow("just beyond 32 bits") << "abc"
                                             << "2147483648" << -1;
        QTest::newRow("largest 32-bit number") << "abc"
                                               << "2147483647" << -1;
        QTest::newRow("smallest 32-bit number") << "abc"
                                                << "-2147483648" << -1;
    }
    void goTo() {
        QFETCH(QString, text);
        QFETCH(QString, lineBox);
        QFETCH(int, position);
        form->Text1->setText(text);
        form->Text1->setSelStart(1);
        form->Text1->setSelLength(1);
        const int selStart = form->Text1->selStart();
        const int selLength = form->Text1->selLength();
        Form2* f = openGoTo();
        f->Text1->setText(lineBox); // as if pasted
        f->Command1->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(form->Text1->text(), text);
        if (position >= 0) {
            QVERIFY(host->messages.isEmpty());
            QCOMPARE(form->Text1->selStart(), position);
            QCOMPARE(form->Text1->selLength(), 0);
            QVERIFY(!form->form2());
            QCOMPARE(form->focusWidget(), form->Text1);
        } else {
            QCOMPARE(host->messages.size(), 1);
            QCOMPARE(host->messages[0].prompt, kOutOfRange);
            QCOMPARE(host->messages[0].style, 16);
            QCOMPARE(host->messages[0].title, QStringLiteral("Quillet"));
            QCOMPARE(form->form2(), f);
            QCOMPARE(f->Text1->text(), QStringLiteral("1"));
            QCOMPARE(f->Text1->selectedText(), QStringLiteral("1"));
            QCOMPARE(f->focusWidget(), f->Text1);
            QCOMPARE(form->Text1->selStart(), selStart); // the input box is unchanged
            QCOMPARE(form->Text1->selLength(), selLength);
        }
    }

    void lineZeroIsTheCaretsLine_data() {
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("start");
        QTest::newRow("caret in line 2") << 5 << 5 << 4;
        QTest::newRow("caret at a line start") << 8 << 8 << 8;
        QTest::newRow("caret right behind a break") << 4 << 4 << 4;
        QTest::newRow("caret at the end") << 10 << 10 << 8;
        QTest::newRow("selection ending on line 3") << 1 << 9 << 8;
        QTest::newRow("selection made backwards") << 9 << 1 << 0;
    }
    void lineZeroIsTheCaretsLine() {
        QFETCH(int, anchor);
        QFETCH(int, caret);
        QFETCH(int, start);
        form->Text1->setText(QStringLiteral("ab\r\ncd\r\nef"));
        QTextCursor c = form->Text1->textCursor();
        // View positions: each CR LF is one block break.
        auto view = [](int exact) { return exact - (exact >= 4) - (exact >= 8); };
        c.setPosition(view(anchor));
        c.setPosition(view(caret), QTextCursor::KeepAnchor);
        form->Text1->setTextCursor(c);
        Form2* f = openGoTo();
        f->Text1->setText(QStringLiteral("0"));
        f->Command1->click();
        QVERIFY(host->messages.isEmpty());
        QCOMPARE(form->Text1->selStart(), start);
        QCOMPARE(form->Text1->selLength(), 0);
    }

    void lineStartsAgreeWithAnotherMethod() {
        // Random texts of breaks and letters, every line and every caret.
        QRandomGenerator rng(12);
        const QString alphabet = QStringLiteral("a\r\n\u2028\u2029\r");
        for (int round = 0; round < 300; ++round) {
            QString text;
            const int n = rng.bounded(12);
            for (int i = 0; i < n; ++i)
                text += alphabet[rng.bounded(alphabet.size())];
            const QList<qsizetype> starts = referenceLineStarts(text);
            for (qsizetype line = 0; line <= starts.size(); ++line)
                QCOMPARE(line_index::lineStart(text, line, 0),
                         line < starts.size() ? starts[line] : -1);
            for (qsizetype caret = 0; caret <= text.size(); ++caret) {
                qsizetype expected = 0;
                for (const qsizetype s : starts)
                    if (s <= caret)
                        expected = s;
                QCOMPARE(line_index::lineStart(text, -1, caret), expected);
            }
        }
    }

    void keyFilterLetsOnlyDigitsAndBackspaceThrough() {
        Form2* f = openGoTo();
        QGuiApplication::clipboard()->setText(QStringLiteral("99"));
        f->Text1->setFocus();
        f->Text1->setCursorPosition(1);
        QTest::keyClicks(f->Text1, QStringLiteral("a- +.x"));
        QTest::keyClick(f->Text1, Qt::Key_Return);
        QTest::keyClick(f->Text1, Qt::Key_Escape);
        QTest::keyClick(f->Text1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f->Text1->text(), QStringLiteral("1"));
        f->Text1->insert(QStringLiteral("2")); // what Ctrl+Z must not take back
        QTest::keyClick(f->Text1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f->Text1->text(), QStringLiteral("12"));
        f->Text1->backspace();
        QCOMPARE(form->form2(), f); // Esc and Enter neither close nor go
        QVERIFY(host->messages.isEmpty());
        QTest::keyClicks(f->Text1, QStringLiteral("20"));
        QTest::keyClick(f->Text1, Qt::Key_Backspace);
        QCOMPARE(f->Text1->text(), QStringLiteral("12"));
        int code = 8;
        f->Text1_KeyPress(code);
        QCOMPARE(code, 8);
        code = 3;
        f->Text1_KeyPress(code);
        QCOMPARE(code, 0);
    }

    void designAndReopening() {
        Form2* f = openGoTo();
        QCOMPARE(f->objectName(), QStringLiteral("Form2"));
        QCOMPARE(f->windowTitle(), QStringLiteral("转到下列行"));
        QCOMPARE(f->Label1->buddy(), f->Text1);
        QCOMPARE(f->Text1->selectedText(), QStringLiteral("1"));
        QVERIFY(!f->Command1->autoDefault() && !f->Command2->autoDefault());
        QCOMPARE(f->parentWidget(), form.get());
        f->Text1->setText(QStringLiteral("42"));
        form->MuGoTo_Click();
        QCOMPARE(form->form2(), f);
        QCOMPARE(f->Text1->text(), QStringLiteral("42"));
        f->Command2->click();
        QVERIFY(!form->form2());
        QCOMPARE(form->focusWidget(), form->Text1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        f = openGoTo();
        QCOMPARE(f->Text1->text(), QStringLiteral("1"));
        QCOMPARE(f->Text1->selectedText(), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestGoToLine)
#include "tst_go_to_line.moc"
