#include "form_fixtures.h"
#include "host/box_clipboard.h"
#include "host/exact_text.h"
#include "host/memory.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

class TstTextBox : public QObject {
    Q_OBJECT

    // A shown, focused box that can also drop its own selection.
    struct Box : TextBox {
        using TextBox::dropSelection;
        using TextBox::insertFromMimeData;
        explicit Box(const QString& text = QString()) {
            show();
            setFocus();
            setText(text);
        }
    };

  private slots:
    void cleanup() { memory::setAvailableForTesting(std::nullopt); }

    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("cr cr lf lf") << QStringLiteral("a\r\r\n\nb");
        QTest::newRow("lf before cr") << QStringLiteral("\n\r");
        QTest::newRow("nbsp") << QStringLiteral("a\u00A0b");
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
        QCOMPARE(box.lineCount(), breaks + 1);
        // Every position that is not inside a CR LF pair maps back to itself.
        for (int i = 0; i <= text.size(); ++i) {
            if (i > 0 && exact_text::pairAt(text, i - 1))
                continue;
            QVERIFY(box.setSelStart(i));
            QCOMPARE(box.selStart(), i);
        }
        QVERIFY(!box.setSelStart(-1));
        QVERIFY(!box.setSelLength(-1));
    }

    // Writing raises a change even when the text stays the same; typing raises
    // one per key that gets through the filter.
    void typingAndWritingRaiseChange() {
        Box box;
        QSignalSpy spy(&box, &TextBox::changed);
        box.setText(QStringLiteral("x"));
        box.setText(QStringLiteral("x"));
        box.setSelStart(1);
        box.keyPressFilter = [](int& key) {
            if (key == 'x')
                key = 0;
        };
        QTest::keyClicks(&box, QStringLiteral("axb"));
        QTest::keyClick(&box, Qt::Key_Return);
        typeText(&box, QStringLiteral("中"));
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(box.text(), QStringLiteral("xab\r\n中\r\n"));
        QCOMPARE(spy.count(), 7);
        QCOMPARE(box.selStart(), 8);
        box.setSelText(QStringLiteral("y"));
        QCOMPARE(spy.count(), 8);
    }

    // A space starts a new undo step; undo brings a lone CR back as it was.
    void undoAndRedo() {
        Box box(QStringLiteral("a\rb"));
        box.setSelStart(3);
        QTest::keyClicks(&box, QStringLiteral("x y"));
        box.setSelStart(0);
        box.setSelLength(6);
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), QString());
        for (const char* before : {"a\rbx y", "a\rbx", "a\rb"}) {
            QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(box.text(), QString::fromLatin1(before));
        }
        QTest::keyClick(&box, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(box.text(), QStringLiteral("a\rbx"));
    }

    // A script on a fresh box, then one undo: the text after the script and
    // after that undo. Steps: "at N" (caret), "sel N M", "type X" (keys),
    // "write X" (over the selection, as a paste does), "whole X" (a command's new
    // whole text), "move N" and "copy N" (the selection dragged to N), "undo", "redo".
    void undoSteps_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("undone");
        auto row = [](const char* name, const char* text, QStringList script, const char* after,
                      const char* undone) {
            QTest::newRow(name) << QString::fromUtf8(text) << script << QString::fromUtf8(after)
                                << QString::fromUtf8(undone);
        };
        row("typing elsewhere is a step of its own", "xyz", {"at 0", "type ab", "at 5", "type c"},
            "abxyzc", "abxyz");
        row("typing runs on as one step", "xyz", {"at 3", "type ab", "type c"}, "xyzabc", "xyz");
        row("writing nothing is no step", "abc", {"at 3", "type d", "write "}, "abcd", "abc");
        row("a paste is not typing", "abc", {"at 3", "type d", "write e"}, "abcde", "abcd");
        row("typing after a paste", "abc", {"at 3", "write d", "type e"}, "abcde", "abcd");
        row("a drag-move is one step", "hello world", {"sel 0 5", "move 11"}, " worldhello",
            "hello world");
        row("a drag-move to the front", "hello world", {"sel 6 5", "move 0"}, "worldhello ",
            "hello world");
        row("a drag-copy", "ab", {"sel 0 1", "copy 2"}, "aba", "ab");
        row("a drag-move redone", "hello world", {"sel 0 5", "move 11", "undo", "redo"},
            " worldhello", "hello world");
        row("a whole text is one step", "abc abc typed", {"whole  typed"}, " typed",
            "abc abc typed");
        row("a whole text after typing", "x", {"at 1", "type yz", "whole a\rb\nc"}, "a\rb\nc",
            "xyz");
        row("a whole text the same", "abc", {"at 3", "type d", "whole abcd"}, "abcd", "abc");
        row("a whole text parting CR LF", "a\r\nb", {"whole a\rx\nb"}, "a\rx\nb", "a\r\nb");
        row("a whole text joining CR and LF", "a\rx\nb", {"whole a\r\nb"}, "a\r\nb", "a\rx\nb");
        row("a whole text redone", "abcabc", {"whole abXabc", "undo", "redo"}, "abXabc", "abcabc");
    }
    void undoSteps() {
        QFETCH(QString, text);
        QFETCH(QStringList, script);
        QFETCH(QString, after);
        QFETCH(QString, undone);
        Box box(text);
        for (const QString& step : script) {
            const QString verb = step.section(u' ', 0, 0);
            const QString arg = step.mid(verb.size() + 1);
            const int n = arg.section(u' ', 0, 0).toInt();
            if (verb == QLatin1String("at")) {
                box.setSelStart(n);
            } else if (verb == QLatin1String("sel")) {
                box.setSelStart(n);
                box.setSelLength(arg.section(u' ', 1, 1).toInt());
            } else if (verb == QLatin1String("type")) {
                QTest::keyClicks(&box, arg);
            } else if (verb == QLatin1String("write")) {
                box.setSelText(arg);
            } else if (verb == QLatin1String("whole")) {
                box.setTextAsStep(arg);
                QCOMPARE(box.selStart(), 0);
            } else if (verb == QLatin1String("move") || verb == QLatin1String("copy")) {
                box.dropSelection(n, verb == QLatin1String("move"));
            } else if (verb == QLatin1String("undo")) {
                box.undoEdit();
            } else {
                box.redoEdit();
            }
        }
        QCOMPARE(box.text(), after);
        QCOMPARE(box.shownText(exact_text::kBlockBreak),
                 exact_text::render(after, exact_text::kBlockBreak));
        box.undoEdit();
        QCOMPARE(box.text(), undone);
        QCOMPARE(box.shownText(exact_text::kBlockBreak),
                 exact_text::render(undone, exact_text::kBlockBreak));
    }

    // The history keeps the newest steps within a quarter of the memory left;
    // the newest step stays even when it alone is over that.
    void undoHistoryKeepsWithinItsBudget() {
        memory::setAvailableForTesting(4 << 20); // 1 MiB: five steps of 200 kB
        Box box;
        QStringList states{QString()};
        for (int i = 0; i < 10; ++i) {
            box.setSelStart(int(box.text().size()));
            box.setSelText(QString(100'000, QChar(u'a' + i)));
            states << box.text();
        }
        QCOMPARE(box.undoEdits(), 5);
        for (int i = 9; i >= 5; --i) {
            box.undoEdit();
            QCOMPARE(box.text(), states[i]);
        }
        QVERIFY(!box.canUndo());
        memory::setAvailableForTesting(0);
        box.setText(QStringLiteral("hello world"));
        box.setSelStart(6);
        QTest::keyClicks(&box, QStringLiteral("big "));
        box.setSelLength(5);
        box.dropSelection(0, true); // a move of two edits stays whole
        QCOMPARE(box.text(), QStringLiteral("worldhello big "));
        QCOMPARE(box.undoEdits(), 2);
        box.undoEdit();
        QCOMPARE(box.text(), QStringLiteral("hello big world"));
        QVERIFY(!box.canUndo());
    }

    // Written text that pairs with a lone break next to it shows one break.
    void writesAroundLoneBreaks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("blocks");
        QTest::newRow("LF right after a lone CR") << "abc\rZdefgh" << 4 << 1 << "\n" << 2;
        QTest::newRow("CR right before a lone LF") << "abcZ\ndefgh" << 3 << 1 << "\r" << 2;
        QTest::newRow("LF after CR, in a long text")
            << QString(40, u'x') + QStringLiteral("\rZ") + QString(40, u'y') << 41 << 1 << "\n"
            << 2;
    }
    void writesAroundLoneBreaks() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, written);
        QFETCH(int, blocks);
        Box box(text);
        box.setSelStart(start);
        box.setSelLength(length);
        box.setSelText(written);
        const QString result = QString(text).replace(start, length, written);
        QCOMPARE(box.text(), result);
        QCOMPARE(box.lineCount(), blocks);
        QCOMPARE(box.shownText(exact_text::kBlockBreak),
                 exact_text::render(result, exact_text::kBlockBreak));
        box.undoEdit();
        QCOMPARE(box.shownText(exact_text::kBlockBreak),
                 exact_text::render(text, exact_text::kBlockBreak));
    }

    // Other programs get LF line breaks; a box gets the exact text back.
    void exactTextBesidePlainText_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("every break") << QStringLiteral("a\nb\rc\r\nd\u2028");
        QTest::newRow("lone surrogate") << QString(QStringLiteral("x")) + QChar(0xDC00) + u'\r';
        QTest::newRow("empty") << QString();
    }
    void exactTextBesidePlainText() {
        QFETCH(QString, text);
        const std::unique_ptr<QMimeData> data(box_clipboard::mimeData(text));
        QCOMPARE(data->text(), exact_text::toClipboard(text));
        QVERIFY(box_clipboard::hasText(data.get()));
        QCOMPARE(box_clipboard::text(data.get()), text);
        // Another program's text: every line break becomes CR LF.
        QMimeData other;
        other.setText(text);
        QCOMPARE(box_clipboard::text(&other), exact_text::normalizeLineBreaks(text));
        QVERIFY(!box_clipboard::hasText(nullptr));
        QCOMPARE(box_clipboard::text(nullptr), QString());
        // A box cuts to the clipboard and pastes its exact text back.
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->setText(QStringLiteral("probe"));
        if (clipboard->text() != QStringLiteral("probe"))
            QSKIP("no clipboard on this platform");
        if (text.isEmpty())
            return;
        Box box(text + u'.');
        box.setSelLength(int(text.size()));
        box.cut();
        QCOMPARE(box.text(), QStringLiteral("."));
        box.paste();
        box.paste();
        QCOMPARE(box.text(), text + text + u'.');
    }

    // A paste of the box's own that the memory left cannot hold is refused.
    void pasteRefusedWhenMemoryIsShort() {
        Box box(QStringLiteral("abc"));
        QSignalSpy refused(&box, &TextBox::outOfMemory);
        const std::unique_ptr<QMimeData> data(box_clipboard::mimeData(QStringLiteral("xyz")));
        memory::setAvailableForTesting(3 * memory::kBytesPerUnit);
        box.insertFromMimeData(data.get());
        QCOMPARE(box.text(), QStringLiteral("xyzabc"));
        memory::setAvailableForTesting(3 * memory::kBytesPerUnit - 1);
        box.insertFromMimeData(data.get());
        QCOMPARE(box.text(), QStringLiteral("xyzabc"));
        QCOMPARE(refused.count(), 1);
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
        // The drag's own loop takes the button's release: the drop reports it.
        QSignalSpy released(&box, &TextBox::mouseUp);
        QApplication::sendEvent(box.viewport(), &drop);
        QCOMPARE(box.text(), QStringLiteral("x\r\nyab\rc"));
        QCOMPARE(box.selText(), QStringLiteral("x\r\ny"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(released.count(), 1);
    }

    // The box's own selection dragged elsewhere in it: a move removes the text
    // first, which shifts a later landing place; a copy leaves it.
    void dragOfTheOwnSelection_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<bool>("move");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("selected");
        auto row = [](const char* name, int at, bool move, const char* result, const char* sel) {
            QTest::newRow(name) << at << move << QString::fromLatin1(result)
                                << QString::fromLatin1(sel);
        };
        row("move to a later place", 7, true, "\ncdefab\r\ngh", "ab");
        row("move to the end", 11, true, "\ncdef\r\nghab", "ab");
        row("copy to a later place", 7, false, "ab\ncdefab\r\ngh", "ab");
        row("onto itself", 1, true, "ab\ncdef\r\ngh", "");
    }
    void dragOfTheOwnSelection() {
        QFETCH(int, at);
        QFETCH(bool, move);
        QFETCH(QString, result);
        QFETCH(QString, selected);
        Box box(QStringLiteral("ab\ncdef\r\ngh"));
        box.setSelLength(2);
        box.dropSelection(at, move);
        QCOMPARE(box.text(), result);
        if (!selected.isEmpty())
            QCOMPARE(box.selText(), selected);
        box.undoEdit(); // a move too is one step
        QCOMPARE(box.text(), QStringLiteral("ab\ncdef\r\ngh"));
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
        auto row = [](const char* name, const char* text, int start, int length, Qt::Key key,
                      const char* result, int blocks) {
            QTest::newRow(name) << QString::fromLatin1(text) << start << length << int(key)
                                << QString::fromLatin1(result) << blocks;
        };
        row("Enter over the unit between CR and LF", "a\rZ\nb", 2, 1, Qt::Key_Return, "a\r\r\n\nb",
            4);
        row("Backspace joins CR and LF", "a\rZ\nb", 3, 0, Qt::Key_Backspace, "a\r\nb", 2);
        row("Delete joins CR and LF", "a\rZ\nb", 2, 0, Qt::Key_Delete, "a\r\nb", 2);
        row("Enter between LF and CR", "\n\r", 1, 0, Qt::Key_Return, "\n\r\n\r", 4);
        row("Backspace over a lone LF", "a\n\nb", 2, 0, Qt::Key_Backspace, "a\nb", 2);
        row("Delete of a lone CR before LF of a pair", "\r\r\n", 0, 0, Qt::Key_Delete, "\r\n", 2);
        row("Enter after a lone CR at the end", "a\r", 2, 0, Qt::Key_Return, "a\r\r\n", 3);
    }
    void editsAroundLoneBreaks() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, key);
        QFETCH(QString, result);
        QFETCH(int, blocks);
        Box box(text);
        const int blocksBefore = box.lineCount();
        box.setSelStart(start);
        box.setSelLength(length);
        QTest::keyClick(&box, Qt::Key(key));
        QCOMPARE(box.text(), result);
        QCOMPARE(box.lineCount(), blocks);
        QCOMPARE(box.shownText(exact_text::kBlockBreak),
                 exact_text::render(result, exact_text::kBlockBreak));
        // The caret stands where the edit ended, and the next character goes there.
        const int caret = box.selStart();
        QTest::keyClicks(&box, QStringLiteral("q"));
        QCOMPARE(box.text(), result.left(caret) + u'q' + result.mid(caret));
        box.undoEdit();
        box.undoEdit();
        QCOMPARE(box.text(), text);
        QCOMPARE(box.lineCount(), blocksBefore);
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
        Box box(text);
        QCOMPARE(box.text(), text);
        QVERIFY(box.lineCount() > 3);
        for (int j = 0; j < box.lineCount(); ++j) {
            const QString shown = box.shownLine(j);
            QVERIFY(shown.size() <= kLongLine);
            QVERIFY(!shown.startsWith(QChar(0xDE00))); // no surrogate pair is parted
        }
        // Every exact position maps back to itself across the cuts.
        for (const int at : {2, 2 + int(kPiece) - 1, 2 + int(kPiece), 2 + int(kPiece) + 1,
                             2 + 2 * int(kPiece), int(text.size()) - 1}) {
            box.setSelStart(at);
            QCOMPARE(box.selStart(), at);
        }
        // Typing into a piece until it passes the limit shows it in pieces again.
        box.setSelStart(10);
        const QString typed(int(kLongLine), u'z');
        typeText(&box, typed);
        QCOMPARE(box.text(), QString(text).insert(10, typed));
        QCOMPARE(box.selStart(), 10 + int(kLongLine));
        for (int j = 0; j < box.lineCount(); ++j)
            QVERIFY(box.shownLine(j).size() <= kLongLine);
        // A line of exactly the limit stays one line.
        box.setText(QString(int(kLongLine), u'w'));
        QCOMPARE(box.lineCount(), 1);
        // A piece emptied by Backspace: Delete before it still deletes a character.
        box.setText(QString(int(kPiece), u'a') + QString(int(kPiece), u'b') +
                    QString(int(kLongLine) - 400, u'c'));
        box.setSelStart(2 * int(kPiece));
        for (int i = 0; i < kPiece; ++i)
            QTest::keyClick(&box, Qt::Key_Backspace);
        box.setSelStart(int(kPiece) - 1);
        QTest::keyClick(&box, Qt::Key_Right); // to the end of the first piece
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), QString(int(kPiece), u'a') + QString(int(kLongLine) - 401, u'c'));
    }

    // Every cut of a long line pulled back in front of a surrogate pair makes
    // pieces of kPiece - 1 units, so there are more cuts than one per kPiece:
    // the view still shows every unit, and typing at the end lands at the end.
    void cutsBeforeSurrogatePairsShowTheWholeLine() {
        const QString piece =
            QStringLiteral("\U0001F600") + QString(int(exact_text::kPiece) - 3, u'a');
        const QString text = QString(int(exact_text::kPiece) - 1, u'a') + piece.repeated(4000) +
                             QStringLiteral("TAIL");
        Box box(text);
        QString shown = box.shownText(exact_text::kBlockBreak);
        QCOMPARE(shown.count(exact_text::kBlockBreak), 4000); // every piece 499 units
        shown.remove(exact_text::kBlockBreak);
        QCOMPARE(shown, text);
        box.setSelStart(int(text.size()));
        QTest::keyClicks(&box, QStringLiteral("Z"));
        QCOMPARE(box.text(), text + u'Z');
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
        QRandomGenerator rng(1234);
        const QStringList pieces = {QStringLiteral("a"),      QStringLiteral("\r"),
                                    QStringLiteral("\n"),     QStringLiteral("\r\n"),
                                    QStringLiteral("中"),     QStringLiteral("\u2029"),
                                    QStringLiteral("\u2028"), QStringLiteral("b\rc")};
        QString model = start;
        Box box(model);
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
            qsizetype s = round(std::min(k, model.size()));
            qsizetype e = round(std::min(s + l, model.size()));
            QCOMPARE(box.selStart(), int(s));
            QCOMPARE(box.selLength(), int(e - s));
            QCOMPARE(box.selText(), model.mid(s, e - s));
            switch (rng.bounded(5)) {
            case 0: {
                QString t;
                for (int i = int(rng.bounded(3)); i > 0; --i)
                    t += pieces[rng.bounded(int(pieces.size()))];
                box.setSelText(t);
                model.replace(s, e - s, t);
                QCOMPARE(box.selStart(), int(round(s + t.size()))); // the caret after it
                break;
            }
            case 1:
                QTest::keyClick(&box, Qt::Key_Return);
                model.replace(s, e - s, QStringLiteral("\r\n"));
                break;
            case 2: // Backspace: the selection, else the character or CR LF before the caret
                QTest::keyClick(&box, Qt::Key_Backspace);
                if (s == e)
                    s -= (s >= 2 && exact_text::pairAt(model, s - 2)) ? 2 : int(s >= 1);
                model.remove(s, e - s);
                break;
            case 3: // Delete: the same after the caret
                QTest::keyClick(&box, Qt::Key_Delete);
                if (s == e)
                    e += exact_text::pairAt(model, s) ? 2 : int(s < model.size());
                model.remove(s, e - s);
                break;
            default:
                typeText(&box, QStringLiteral("字"));
                model.replace(s, e - s, QStringLiteral("字"));
                break;
            }
            QCOMPARE(box.text(), model);
            if (!nearCuts) {
                QCOMPARE(box.shownText(exact_text::kBlockBreak),
                         exact_text::render(model, exact_text::kBlockBreak));
                if (model.size() > 60)
                    box.setText(model = model.left(20));
            } else if (step % 50 == 0) {
                for (int j = 0; j < box.lineCount(); ++j)
                    QVERIFY(box.shownLine(j).size() <= exact_text::kLongLine);
            }
        }
    }

    // Edits where the last ones ended (the ends of pieces of the stored text),
    // parting and joining surrogate pairs and CR LF there, in a text whose
    // lines are cut for display; undo and redo walk the history back and forth.
    void editsAtPieceEndsUndoAndRedo() {
        QRandomGenerator rng(77);
        const QStringList pieces = {QStringLiteral("\U0001F600"), QString(QChar(0xD83D)),
                                    QString(QChar(0xDE00)),       QStringLiteral("\r\n"),
                                    QStringLiteral("\r"),         QStringLiteral("字\n")};
        QString model = QString(3 * int(exact_text::kLongLine), u'x') + QStringLiteral("\r\ny");
        Box box(model);
        QStringList undo, redo;
        std::vector<qsizetype> ends{qsizetype(exact_text::kPiece)};
        for (int step = 0; step < 400; ++step) {
            const int action = int(rng.bounded(6));
            if (action == 0 && !undo.isEmpty()) {
                box.undoEdit();
                redo << model;
                model = undo.takeLast();
            } else if (action == 1 && !redo.isEmpty()) {
                box.redoEdit();
                undo << model;
                model = redo.takeLast();
            } else {
                const qsizetype at = std::clamp<qsizetype>(
                    ends[rng.bounded(int(ends.size()))] + rng.bounded(-1, 2), 0, model.size());
                const qsizetype length = std::min<qsizetype>(rng.bounded(3), model.size() - at);
                // Two units at least: a single typed unit may join the step before.
                QString t = pieces[rng.bounded(int(pieces.size()))];
                t += pieces[rng.bounded(int(pieces.size()))];
                box.setSelStart(int(at));
                box.setSelLength(int(length));
                const qsizetype s = box.selStart();
                const qsizetype l = box.selLength();
                box.setSelText(t);
                undo << model;
                redo.clear();
                model.replace(s, l, t);
                ends.push_back(s + t.size());
                if (ends.size() > 8)
                    ends.erase(ends.begin());
            }
            QCOMPARE(box.text(), model);
            QVERIFY(box.textIs(model));
            QCOMPARE(box.textSize(), model.size());
        }
        // The view shows every unit but the line breaks, in lines no longer than the limit.
        QString shown = box.shownText(exact_text::kBlockBreak);
        shown.remove(exact_text::kBlockBreak);
        QString units = model;
        units.removeIf([](QChar c) {
            return c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029);
        });
        QCOMPARE(shown, units);
        for (int j = 0; j < box.lineCount(); ++j)
            QVERIFY(box.shownLine(j).size() <= exact_text::kLongLine);
    }

    // The widest line made narrower keeps the view's width (no line is
    // measured again for it); a line wider than all before widens the view.
    void viewWidthFollowsOnlyWiderLines() {
        QString text = QStringLiteral("short\r\n").repeated(5) + QString(200, u'W') +
                       QStringLiteral("\r\n") + QStringLiteral("short\r\n").repeated(30);
        Box box(text);
        box.resize(300, 200);
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.repaint();
        const qreal wide = box.contentWidth();
        // The wide line is in sight: the view is at least as wide as it.
        QVERIFY(wide >= QFontMetricsF(box.font()).horizontalAdvance(QString(200, u'W')) - 1);
        box.setSelStart(5 * 7 + 200);
        for (int i = 0; i < 150; ++i)
            QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::keyClick(&box, Qt::Key_Return);
        box.repaint();
        QCOMPARE(box.contentWidth(), wide);
        box.setSelStart(0);
        typeText(&box, QString(260, u'W'));
        box.repaint();
        QVERIFY(box.contentWidth() > wide);
        QCOMPARE(box.text(), QString(260, u'W') + text.left(35 + 50) + QStringLiteral("\r\n") +
                                 text.mid(35 + 200));
    }

    // A long text keeps layouts only for the lines in sight and a few more,
    // whatever the width and however far it is scrolled: a layout for every
    // line would cost memory in proportion to the text.
    void onlyLinesInSightAreLaidOut() {
        constexpr int kLines = 20'000;
        const QString text = QStringLiteral("line\r\n").repeated(kLines);
        Box box(text);
        QCOMPARE(box.lineCount(), kLines + 1);
        box.resize(300, 200);
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (const QSize size : {QSize(300, 200), QSize(600, 200), QSize(250, 300)}) {
            box.resize(size);
            box.repaint();
            QVERIFY(box.laidOutLines() > 0); // the lines shown have theirs
            QVERIFY(box.laidOutLines() < 1000);
        }
        // The caret far down is brought into sight.
        box.setSelStart(kLines / 2 * 6);
        box.repaint();
        QVERIFY(box.firstVisibleLine() > 0);
        QVERIFY(box.viewport()->rect().contains(box.caretRect(box.caretPosition()).center()));
        QVERIFY(box.laidOutLines() < 1000);
        // Scrolled through the whole text in 200 jumps: the lines gone out of
        // sight give their layouts up.
        QScrollBar* bar = box.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        for (int k = 0; k <= 200; ++k) {
            bar->setValue(int(qint64(bar->maximum()) * k / 200));
            box.repaint();
        }
        QVERIFY(box.firstVisibleLine() > kLines / 2);
        QVERIFY(box.laidOutLines() > 0);
        QVERIFY(box.laidOutLines() < 1000);
        QVERIFY(box.textIs(text));
        QCOMPARE(box.lineCount(), kLines + 1);
    }

    // Many lines written over many, across several chunks of the block map,
    // as many chunks before as after: a key typed after them goes where the
    // caret is shown, and the box shows the text it holds.
    void manyLinesWrittenOverMany() {
        const QString text = QStringLiteral("line\r\n").repeated(3000);
        for (int lines = 600; lines <= 720; lines += 8) {
            Box box(text);
            box.setSelStart(300 * 6);
            box.setSelLength(1000 * 6);
            const QString lots = QStringLiteral("new\r\n").repeated(lines);
            box.setSelText(lots);
            QString model = text;
            model.replace(300 * 6, 1000 * 6, lots);
            box.setSelStart(int(model.size()) - 6);
            QTest::keyClicks(&box, QStringLiteral("Z"));
            model.insert(model.size() - 6, u'Z');
            QCOMPARE(box.text(), model);
            QCOMPARE(box.shownText(exact_text::kBlockBreak),
                     exact_text::render(model, exact_text::kBlockBreak));
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
