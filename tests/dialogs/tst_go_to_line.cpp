#include "dialogs/form2.h"
#include "dialogs/line_index.h"
#include "form_fixtures.h"
#include "text_fixtures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

// Line starts found another way: the ends of the breaks a regular expression sees.
QList<qsizetype> referenceLineStarts(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n|\u2028|\u2029"));
    QList<qsizetype> starts{0};
    for (auto it = breaks.globalMatch(text); it.hasNext();)
        starts << it.next().capturedEnd();
    return starts;
}

} // namespace

class TestGoToLine : public QObject, FormFixture {
    Q_OBJECT

    Form2* openGoTo() {
        form->MuGoTo_Click();
        return form->form2();
    }

  private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void goTo_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lineBox");
        QTest::addColumn<int>("position"); // -1: the error message
        auto row = [](const char* name, const char* text, const char* line, int position) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(line) << position;
        };
        row("CR LF line 2", "a\r\nb\r\n", "2", 3);
        row("CR LF empty last line", "a\r\nb\r\n", "3", 6);
        row("CR LF beyond", "a\r\nb\r\n", "4", -1);
        row("empty text line 1", "", "1", 0);
        row("empty text line 2", "", "2", -1);
        // Lone CR, LF and the separators are the random texts' below.
        row("LF CR is two breaks", "a\n\rb", "3", 3);
        row("other controls are no breaks", "a\vb\fc\u0085d", "2", -1);
        row("leading zeros", "1\n2\n3\n4\n5\n6\n7\n8", "007", 12);
        row("spaces around", "1\n2", " 2 ", 2);
        row("empty box", "abc", "", -1);
        row("not a number", "abc", "1a", -1);
        row("fraction", "a\nb", "1.5", -1);
        row("negative", "a\nb", "-1", -1);
        row("eleven digits", "abc", "12345678901", -1);
        row("just beyond 32 bits", "abc", "2147483648", -1);
        row("1 when cut to 32 bits", "abc", "4294967297", -1);
        row("3 when cut to 64 bits", "1\n2\n3\n4", "18446744073709551619", -1);
    }
    void goTo() {
        QFETCH(QString, text);
        QFETCH(QString, lineBox);
        QFETCH(int, position);
        setInput(text, 1, 1);
        const QString before = selection();
        Form2* f = openGoTo();
        f->Text1->setText(lineBox); // as if pasted
        f->Command1->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(form->Text1->text(), text);
        if (position >= 0) {
            QCOMPARE(shown(), QStringList());
            QCOMPARE(selection(), QStringLiteral("sel %1+0").arg(position));
            QVERIFY(!form->form2());
            QCOMPARE(form->focusWidget(), form->Text1);
        } else {
            QCOMPARE(shown(), QStringList{QStringLiteral("16 Quillet: 行数超过范围")});
            QCOMPARE(form->form2(), f);
            QCOMPARE(f->Text1->selectedText(), QStringLiteral("1")); // the whole box, reset
            QCOMPARE(f->focusWidget(), f->Text1);
            QCOMPARE(selection(), before); // the input box is unchanged
        }
    }

    // Line 0 is the line of the caret (not of the selection's start). Anchor and
    // caret: in line 2, at a line start, right behind a break, at the end, a
    // selection ending on line 3, the same made backwards.
    void lineZeroIsTheCaretsLine() {
        form->Text1->setText(QStringLiteral("ab\r\ncd\r\nef"));
        QStringList starts;
        for (const auto& [anchor, caret] :
             {std::pair{5, 5}, {8, 8}, {4, 4}, {10, 10}, {1, 9}, {9, 1}}) {
            form->Text1->setSelection(anchor, caret);
            QCOMPARE(form->Text1->anchorPosition(), qsizetype(anchor));
            QCOMPARE(form->Text1->caretPosition(), qsizetype(caret));
            Form2* f = openGoTo();
            f->Text1->setText(QStringLiteral("0"));
            f->Command1->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            starts << selection();
        }
        QCOMPARE(starts.join(u','),
                 QStringLiteral("sel 4+0,sel 8+0,sel 4+0,sel 8+0,sel 8+0,sel 0+0"));
        QCOMPARE(shown(), QStringList());
    }

    void lineStartsAgreeWithAnotherMethod() {
        // Random texts of breaks and letters, every line and every caret.
        QRandomGenerator rng(12);
        const QString alphabet = QStringLiteral("a\r\n\u2028\u2029\r");
        for (int round = 0; round < 300; ++round) {
            const QString text = fixtures::randomText(rng, rng.bounded(12), alphabet);
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
        QCOMPARE(form->form2(), f); // Esc and Enter neither close nor go
        QVERIFY(f->isVisible());
        QCOMPARE(shown(), QStringList());
        QTest::keyClicks(f->Text1, QStringLiteral("0"));
        QTest::keyClick(f->Text1, Qt::Key_Backspace);
        QCOMPARE(f->Text1->text(), QStringLiteral("12"));
    }

    void reopening() {
        Form2* f = openGoTo();
        f->Text1->setText(QStringLiteral("42"));
        form->MuGoTo_Click(); // brought forward as it is
        QCOMPARE(form->form2(), f);
        QCOMPARE(f->Text1->text(), QStringLiteral("42"));
        f->Command2->click();
        QVERIFY(!form->form2());
        QCOMPARE(form->focusWidget(), form->Text1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(openGoTo()->Text1->selectedText(), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestGoToLine)
#include "tst_go_to_line.moc"
