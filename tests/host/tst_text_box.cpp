#include "host/exact_text.h"
#include "host/text_box.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

class TstTextBox : public QObject {
    Q_OBJECT

    static void typeText(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

  private slots:
    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("crlf") << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("lone cr") << QStringLiteral("a\rb\r");
        QTest::newRow("lone lf") << QStringLiteral("a\nb\n");
        QTest::newRow("cr cr lf lf") << QStringLiteral("a\r\r\n\nb");
        QTest::newRow("lf before cr") << QStringLiteral("\n\r");
        QTest::newRow("nbsp") << QStringLiteral("a\u00A0b");
        QTest::newRow("line separator") << QStringLiteral("a\u2028b");
        QTest::newRow("paragraph separator") << QStringLiteral("a\u2029b");
        QTest::newRow("nul") << QString(QStringLiteral("a")) + QChar(u'\0') + u'b';
        QTest::newRow("surrogate pair") << QStringLiteral("x\U0001F600y");
        QTest::newRow("unpaired surrogate") << QString(QStringLiteral("x")) + QChar(0xD800) + u'y';
        QTest::newRow("frame markers") << QString(QChar(0xFDD0)) + QChar(0xFDD1);
        QTest::newRow("tab and chinese") << QStringLiteral("中\t文");
        QTest::newRow("every break") << QStringLiteral("a\nb\rc\r\nd\u2029e\u2028f\n\n\r\r");
        QTest::newRow("empty") << QString();
    }

    void roundTrip() {
        QFETCH(QString, text);
        TextBox box;
        box.setText(text);
        QCOMPARE(box.text(), text);
        QCOMPARE(box.selStart(), 0);
        QCOMPARE(box.selLength(), 0);
        box.setSelLength(int(text.size()));
        QCOMPARE(box.selText(), text);
        // Every line break is a block of its own; CR LF is one break.
        int breaks = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            breaks += c == u'\n' || c == u'\u2028' || c == u'\u2029' ||
                      (c == u'\r' && !exact_text::pairAt(text, i));
        }
        QCOMPARE(box.document()->blockCount(), breaks + 1);
        // Every position that is not inside a CR LF pair maps back to itself.
        for (int i = 0; i <= text.size(); ++i) {
            if (i > 0 && exact_text::pairAt(text, i - 1))
                continue;
            QVERIFY(box.setSelStart(i));
            QCOMPARE(box.selStart(), i);
        }
    }

    void positionsAndSelection() {
        TextBox box;
        box.setText(QStringLiteral("a\r\nb\rc"));
        QVERIFY(box.setSelStart(3));
        QVERIFY(box.setSelLength(1));
        QCOMPARE(box.selText(), QStringLiteral("b"));
        box.setSelStart(0);
        box.setSelLength(3);
        QCOMPARE(box.selText(), QStringLiteral("a\r\n"));
        QCOMPARE(box.selLength(), 3);
        box.setSelStart(100);
        QCOMPARE(box.selStart(), 6);
        QCOMPARE(box.selLength(), 0);
        box.setSelLength(100);
        QCOMPARE(box.selLength(), 0);
        QVERIFY(!box.setSelStart(-1));
        QVERIFY(!box.setSelLength(-1));
    }

    void selTextReplacesAndLeavesCaretAfter() {
        TextBox box;
        box.setText(QStringLiteral("ab"));
        box.setSelStart(1);
        box.setSelText(QStringLiteral("\r\nX"));
        QCOMPARE(box.text(), QStringLiteral("a\r\nXb"));
        QCOMPARE(box.selStart(), 4);
        box.setSelStart(0);
        box.setSelLength(1);
        box.setSelText(QStringLiteral("\n"));
        QCOMPARE(box.text(), QStringLiteral("\n\r\nXb"));
        box.setSelStart(4);
        box.setSelLength(1);
        QCOMPARE(box.selText(), QStringLiteral("b"));
    }

    void editsJoiningOrSplittingPairsKeepPositions() {
        TextBox box;
        box.setText(QStringLiteral("a\rZ\nb"));
        box.setSelStart(2);
        box.setSelLength(1);
        box.setSelText(QString()); // lone CR and lone LF become a pair
        QCOMPARE(box.text(), QStringLiteral("a\r\nb"));
        box.setSelStart(3);
        box.setSelLength(1);
        QCOMPARE(box.selText(), QStringLiteral("b"));
        // A caret cannot stand between CR and LF: it goes before the pair.
        box.setSelStart(2);
        QCOMPARE(box.selStart(), 1);
        // Replacing a pair by a lone CR.
        box.setSelStart(0);
        box.setSelLength(3);
        box.setSelText(QStringLiteral("x\r"));
        QCOMPARE(box.text(), QStringLiteral("x\rb"));
        box.setSelStart(2);
        box.setSelLength(1);
        QCOMPARE(box.selText(), QStringLiteral("b"));
    }

    void writingRaisesChangeEvenWhenTheSame() {
        TextBox box;
        QSignalSpy spy(&box, &TextBox::changed);
        box.setText(QStringLiteral("x"));
        box.setText(QStringLiteral("x"));
        QCOMPARE(spy.count(), 2);
        box.setSelText(QStringLiteral("y"));
        QCOMPARE(spy.count(), 3);
    }

    void typingEnterInsertsCrLf() {
        TextBox box;
        box.show();
        box.setFocus();
        QSignalSpy spy(&box, &TextBox::changed);
        QTest::keyClicks(&box, QStringLiteral("ab"));
        QTest::keyClick(&box, Qt::Key_Return);
        typeText(&box, QStringLiteral("中"));
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(box.text(), QStringLiteral("ab\r\n中\r\n"));
        QCOMPARE(spy.count(), 5);
        QCOMPARE(box.selStart(), 7);
    }

    void typingNextToLoneBreaks() {
        TextBox box;
        box.show();
        box.setFocus();
        box.setText(QStringLiteral("x\ny\rz"));
        box.setSelStart(5);
        QTest::keyClicks(&box, QStringLiteral("!"));
        QCOMPARE(box.text(), QStringLiteral("x\ny\rz!"));
        box.setSelStart(2);
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), QStringLiteral("x\n\rz!"));
        // Backspace over the character between a lone CR and a lone LF joins them.
        box.setText(QStringLiteral("a\rZ\nb"));
        box.setSelStart(3);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QStringLiteral("a\r\nb"));
        box.setSelStart(4);
        QTest::keyClicks(&box, QStringLiteral("c"));
        QCOMPARE(box.text(), QStringLiteral("a\r\nbc"));
        // Deleting a CR LF line break removes both units.
        box.setSelStart(1);
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), QStringLiteral("abc"));
    }

    void typingOverASelection() {
        TextBox box;
        box.show();
        box.setFocus();
        box.setText(QStringLiteral("1\r\n2\r3"));
        box.setSelStart(1);
        box.setSelLength(4);
        QCOMPARE(box.selText(), QStringLiteral("\r\n2\r"));
        QTest::keyClicks(&box, QStringLiteral("-"));
        QCOMPARE(box.text(), QStringLiteral("1-3"));
    }

    void undoAndRedo() {
        TextBox box;
        box.show();
        box.setFocus();
        box.setText(QStringLiteral("a\rb"));
        box.setSelStart(3);
        QTest::keyClicks(&box, QStringLiteral("xy"));
        box.setSelStart(0);
        box.setSelLength(5);
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), QString());
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.text(), QStringLiteral("a\rbxy")); // the lone CR comes back as it was
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.text(), QStringLiteral("a\rb"));
        QTest::keyClick(&box, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(box.text(), QStringLiteral("a\rbxy"));
    }

    void clipboardLineBreaks() {
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->setText(QStringLiteral("probe"));
        if (clipboard->text() != QStringLiteral("probe"))
            QSKIP("no clipboard on this platform");
        TextBox box;
        box.setText(QStringLiteral("p\r\nq\nr"));
        box.setSelLength(6);
        box.copy();
        QCOMPARE(clipboard->text(), QStringLiteral("p\nq\nr"));
        clipboard->setText(QStringLiteral("1\n2\r3\r\n4"));
        box.setSelStart(0);
        box.paste();
        QCOMPARE(box.text(), QStringLiteral("1\r\n2\r\n3\r\n4p\r\nq\nr"));
    }

    void dropInsertsLines() {
        TextBox box;
        box.resize(300, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setText(QStringLiteral("ab\rc"));
        QMimeData data;
        data.setText(QStringLiteral("x\ny"));
        // Dropped at the very start of the text (top-left of the view).
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box.viewport(), &enter);
        QDragMoveEvent move(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box.viewport(), &move);
        QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QSignalSpy spy(&box, &TextBox::changed);
        QApplication::sendEvent(box.viewport(), &drop);
        QCOMPARE(box.text(), QStringLiteral("x\r\nyab\rc"));
        QCOMPARE(box.selText(), QStringLiteral("x\r\ny"));
        QCOMPARE(spy.count(), 1);
    }

    // The box's own selection dragged elsewhere in it: a move removes the text
    // first, which shifts a later landing place; a copy leaves it.
    void dragOfTheOwnSelection_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<bool>("move");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("selected");
        QTest::newRow("move to a later place")
            << 7 << true << QStringLiteral("\ncdefab\r\ngh") << QStringLiteral("ab");
        QTest::newRow("move to the end")
            << 11 << true << QStringLiteral("\ncdef\r\nghab") << QStringLiteral("ab");
        QTest::newRow("copy to a later place")
            << 7 << false << QStringLiteral("ab\ncdefab\r\ngh") << QStringLiteral("ab");
        QTest::newRow("onto itself") << 1 << true << QStringLiteral("ab\ncdef\r\ngh") << QString();
    }
    void dragOfTheOwnSelection() {
        QFETCH(int, at);
        QFETCH(bool, move);
        QFETCH(QString, result);
        QFETCH(QString, selected);
        struct DropBox : TextBox {
            using TextBox::dropSelection;
        } box;
        box.setText(QStringLiteral("ab\ncdef\r\ngh"));
        box.setSelLength(2);
        box.dropSelection(at, move);
        QCOMPARE(box.text(), result);
        if (!selected.isEmpty())
            QCOMPARE(box.selText(), selected);
        box.undoEdit();
        if (move)
            box.undoEdit();
        QCOMPARE(box.text(), QStringLiteral("ab\ncdef\r\ngh"));
    }

    void keyPressFilterDropsKeys() {
        TextBox box;
        box.show();
        box.setFocus();
        box.keyPressFilter = [](int& key) {
            if (key == 'x')
                key = 0;
        };
        QTest::keyClicks(&box, QStringLiteral("axb"));
        QCOMPARE(box.text(), QStringLiteral("ab"));
    }

    // Enter, Backspace and Delete next to lone breaks change how CR and LF pair
    // up; undo brings the text and its lines back.
    void editsAroundLoneBreaks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("blocks");
        QTest::newRow("Enter over the unit between CR and LF")
            << QStringLiteral("a\rZ\nb") << 2 << 1 << int(Qt::Key_Return)
            << QStringLiteral("a\r\r\n\nb") << 4;
        QTest::newRow("Backspace joins CR and LF")
            << QStringLiteral("a\rZ\nb") << 3 << 0 << int(Qt::Key_Backspace)
            << QStringLiteral("a\r\nb") << 2;
        QTest::newRow("Delete joins CR and LF")
            << QStringLiteral("a\rZ\nb") << 2 << 0 << int(Qt::Key_Delete)
            << QStringLiteral("a\r\nb") << 2;
        QTest::newRow("Enter between LF and CR")
            << QStringLiteral("\n\r") << 1 << 0 << int(Qt::Key_Return) << QStringLiteral("\n\r\n\r")
            << 4;
        QTest::newRow("Backspace over a lone LF")
            << QStringLiteral("a\n\nb") << 2 << 0 << int(Qt::Key_Backspace)
            << QStringLiteral("a\nb") << 2;
        QTest::newRow("Delete of a lone CR before LF of a pair")
            << QStringLiteral("\r\r\n") << 0 << 0 << int(Qt::Key_Delete) << QStringLiteral("\r\n")
            << 2;
        QTest::newRow("Enter after a lone CR at the end")
            << QStringLiteral("a\r") << 2 << 0 << int(Qt::Key_Return) << QStringLiteral("a\r\r\n")
            << 3;
    }
    void editsAroundLoneBreaks() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, key);
        QFETCH(QString, result);
        QFETCH(int, blocks);
        TextBox box;
        box.show();
        box.setFocus();
        box.setText(text);
        const int blocksBefore = box.document()->blockCount();
        box.setSelStart(start);
        box.setSelLength(length);
        QTest::keyClick(&box, Qt::Key(key));
        QCOMPARE(box.text(), result);
        QCOMPARE(box.document()->blockCount(), blocks);
        QCOMPARE(box.document()->toRawText(), exact_text::render(result, exact_text::kBlockBreak));
        // The caret stands where the edit ended, and the next character goes there.
        const int caret = box.selStart();
        QTest::keyClicks(&box, QStringLiteral("q"));
        QCOMPARE(box.text(), result.left(caret) + u'q' + result.mid(caret));
        box.undoEdit();
        box.undoEdit();
        QCOMPARE(box.text(), text);
        QCOMPARE(box.document()->blockCount(), blocksBefore);
    }

    void spaceStartsANewUndoStep() {
        TextBox box;
        box.show();
        box.setFocus();
        QTest::keyClicks(&box, QStringLiteral("ab cd"));
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.text(), QStringLiteral("ab"));
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.text(), QString());
    }

    // A very long line is shown in pieces that end with no break; the text,
    // positions and single-character keys are as if it were one line.
    void longLineIsShownInPieces() {
        using exact_text::kLongLine;
        using exact_text::kPiece;
        QString line;
        for (qsizetype i = 0; i < 3 * kLongLine; ++i)
            line += QChar(char16_t(u'a' + i % 26));
        line.replace(kPiece - 1, 2, QStringLiteral("\U0001F600")); // straddles the first cut
        const QString text = QStringLiteral("x\n") + line + QStringLiteral("\r\ny");
        TextBox box;
        box.show();
        box.setFocus();
        box.setText(text);
        QCOMPARE(box.text(), text);
        QVERIFY(box.document()->blockCount() > 3);
        for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next()) {
            QVERIFY(b.length() - 1 <= kLongLine);
            QVERIFY(!b.text().startsWith(QChar(0xDE00))); // no surrogate pair is parted
        }
        // Every exact position maps back to itself across the cuts.
        for (const int at : {2, 2 + int(kPiece) - 1, 2 + int(kPiece), 2 + int(kPiece) + 1,
                             2 + 2 * int(kPiece), int(text.size()) - 1}) {
            box.setSelStart(at);
            QCOMPARE(box.selStart(), at);
        }
        box.setSelStart(5);
        box.setSelLength(int(2 * kPiece));
        QCOMPARE(box.selText(), text.mid(5, 2 * kPiece));
        // Backspace just after a cut and Delete just before one remove one unit each.
        QString model = text;
        QTextCursor c = box.textCursor();
        c.setPosition(box.document()->findBlockByNumber(2).position());
        box.setTextCursor(c);
        const int cut = box.selStart();
        QTest::keyClick(&box, Qt::Key_Backspace);
        model.remove(cut - 1, 1);
        QCOMPARE(box.text(), model);
        c = box.textCursor();
        c.setPosition(box.document()->findBlockByNumber(3).position() - 1);
        box.setTextCursor(c);
        QTest::keyClick(&box, Qt::Key_Delete);
        model.remove(box.selStart(), 1);
        QCOMPARE(box.text(), model);
        // Typing into a piece until it passes the limit shows it in pieces again.
        box.setSelStart(10);
        const QString typed(int(kLongLine), u'z');
        for (const QChar ch : typed)
            QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        model.insert(10, typed);
        QCOMPARE(box.text(), model);
        QCOMPARE(box.selStart(), 10 + int(kLongLine));
        for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
            QVERIFY(b.length() - 1 <= kLongLine);
        // A line of exactly the limit stays one block.
        box.setText(QString(int(kLongLine), u'w'));
        QCOMPARE(box.document()->blockCount(), 1);
    }

    // Short texts full of breaks, and a long line edited around the places
    // where it is cut for display.
    void randomEditsKeepTheTextExact_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("nearCuts");
        QTest::newRow("short lines") << QStringLiteral("x\r\ny\rz\n") << 1500 << false;
        QTest::newRow("long line")
            << QString(int(5 * exact_text::kPiece), u'x') + QStringLiteral("\ny") << 300 << true;
    }
    void randomEditsKeepTheTextExact() {
        QFETCH(QString, start);
        QFETCH(int, steps);
        QFETCH(bool, nearCuts);
        TextBox box;
        box.show();
        box.setFocus();
        QRandomGenerator rng(1234);
        const QStringList pieces = {QStringLiteral("a"),      QStringLiteral("\r"),
                                    QStringLiteral("\n"),     QStringLiteral("\r\n"),
                                    QStringLiteral("中"),     QStringLiteral("\u2029"),
                                    QStringLiteral("\u2028"), QStringLiteral("b\rc")};
        QString model = start;
        box.setText(model);
        // A caret cannot stand between CR and LF; it goes before the pair.
        auto round = [&](qsizetype k) {
            return (k > 0 && exact_text::pairAt(model, k - 1)) ? k - 1 : k;
        };
        for (int step = 0; step < steps; ++step) {
            const qsizetype k = nearCuts
                                    ? rng.bounded(1, 5) * exact_text::kPiece + rng.bounded(-3, 4)
                                    : rng.bounded(int(model.size()) + 2);
            const qsizetype l = rng.bounded(4);
            box.setSelStart(int(k));
            box.setSelLength(int(l));
            const qsizetype s = round(std::min(k, model.size()));
            const qsizetype e = round(std::min(s + l, model.size()));
            QCOMPARE(box.selStart(), int(s));
            QCOMPARE(box.selLength(), int(e - s));
            switch (rng.bounded(6)) {
            case 0: {
                QString t;
                for (int i = int(rng.bounded(3)); i > 0; --i)
                    t += pieces[rng.bounded(int(pieces.size()))];
                box.setSelText(t);
                model.replace(s, e - s, t);
                break;
            }
            case 1:
                QTest::keyClick(&box, Qt::Key_A);
                model.replace(s, e - s, QStringLiteral("a"));
                break;
            case 2:
                QTest::keyClick(&box, Qt::Key_Return);
                model.replace(s, e - s, QStringLiteral("\r\n"));
                break;
            case 3:
                QTest::keyClick(&box, Qt::Key_Backspace);
                if (s != e)
                    model.remove(s, e - s);
                else if (s >= 2 && exact_text::pairAt(model, s - 2))
                    model.remove(s - 2, 2);
                else if (s >= 1)
                    model.remove(s - 1, 1);
                break;
            case 4:
                QTest::keyClick(&box, Qt::Key_Delete);
                if (s != e)
                    model.remove(s, e - s);
                else if (exact_text::pairAt(model, s))
                    model.remove(s, 2);
                else if (s < model.size())
                    model.remove(s, 1);
                break;
            default:
                typeText(&box, QStringLiteral("字"));
                model.replace(s, e - s, QStringLiteral("字"));
                break;
            }
            QCOMPARE(box.text(), model);
            if (!nearCuts) {
                QCOMPARE(box.document()->toRawText(),
                         exact_text::render(model, exact_text::kBlockBreak));
                if (model.size() > 60)
                    box.setText(model = model.left(20));
            } else if (step % 50 == 0) {
                for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
                    QVERIFY(b.length() - 1 <= exact_text::kLongLine);
            }
        }
    }

    void hugeTextRoundTrips() {
        QString text;
        text.reserve(10'000'000);
        while (text.size() < 10'000'000 - 40)
            text += QStringLiteral("字频统计 counts every\r\nline\rand\n\u00A0");
        TextBox box;
        box.setText(text);
        QCOMPARE(box.text(), text);
        box.setSelStart(int(text.size()));
        box.setSelText(QStringLiteral("end"));
        QCOMPARE(box.text().size(), text.size() + 3);
        QVERIFY(box.text().endsWith(QStringLiteral("\u00A0end")));
    }
};

QTEST_MAIN(TstTextBox)
#include "tst_text_box.moc"
