#include "box_fixtures.h"
#include "host/box_clipboard.h"
#include "host/memory.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>

class TstTextBox : public QObject {
    Q_OBJECT
    using Box = TestBox;

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

    // A script on a fresh box, then one undo: the text after the script and
    // after that undo. Steps: "at N" (caret), "sel N M", "type X" (keys),
    // "write X" (over the selection, as a paste does), "whole X" (a command's new
    // whole text), "move N" and "copy N" (the selection dragged to N), "undo" and
    // "redo" (Ctrl+Z, Ctrl+Y), "selected X" (checks the selection).
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
        row("a space starts a step", "a\rb", {"at 3", "type x y", "undo", "redo"}, "a\rbx y",
            "a\rbx");
        row("writing nothing is no step", "abc", {"at 3", "type d", "write "}, "abcd", "abc");
        row("a paste is not typing", "abc", {"at 3", "type d", "write e"}, "abcde", "abcd");
        row("typing after a paste", "abc", {"at 3", "write d", "type e"}, "abcde", "abcd");
        row("a drag-move to the end", "hello world", {"sel 0 5", "move 11", "selected hello"},
            " worldhello", "hello world");
        row("a drag-move next to CR LF", "ab\ncdef\r\ngh", {"sel 0 2", "move 7", "selected ab"},
            "\ncdefab\r\ngh", "ab\ncdef\r\ngh");
        row("a drag onto itself", "ab\ncd", {"sel 0 2", "move 1"}, "ab\ncd", "ab\ncd");
        row("a drag-move to the front", "hello world", {"sel 6 5", "move 0"}, "worldhello ",
            "hello world");
        row("a drag-copy", "ab", {"sel 0 1", "copy 2", "selected a"}, "aba", "ab");
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
            } else if (verb == QLatin1String("selected")) {
                QCOMPARE(box.selText(), arg);
            } else {
                QTest::keyClick(&box, verb == QLatin1String("undo") ? Qt::Key_Z : Qt::Key_Y,
                                Qt::ControlModifier);
            }
        }
        QCOMPARE(box.text(), after);
        checkShown(box, after);
        box.undoEdit();
        QCOMPARE(box.text(), undone);
        checkShown(box, undone);
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
        QCOMPARE(clipboard->text(), exact_text::toClipboard(text));
        box.paste();
        box.paste();
        QCOMPARE(box.text(), text + text + u'.');
        clipboard->setText(text);
        box.setSelStart(0);
        box.paste();
        QCOMPARE(box.text(), exact_text::normalizeLineBreaks(text) + text + text + u'.');
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

    void dropInsertsLines() {
        Box box(QStringLiteral("ab\rc"));
        QVERIFY(QTest::qWaitForWindowExposed(&box));
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
        checkShown(box, text, true);
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
        checkShown(box, box.text(), true);
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

    // The widest line made narrower keeps the view's width (no line is
    // measured again for it); a line wider than all before widens the view.
    void viewWidthFollowsOnlyWiderLines() {
        QString text = QStringLiteral("short\r\n").repeated(5) + QString(200, u'W') +
                       QStringLiteral("\r\n") + QStringLiteral("short\r\n").repeated(30);
        Box box(text);
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
    // whatever the width and however far it is scrolled (by the scroll bar or
    // by keys): a layout for every line would cost memory in proportion to the text.
    void onlyLinesInSightAreLaidOut() {
        constexpr int kLines = 20'000;
        const QString text = QStringLiteral("line\r\n").repeated(kLines);
        Box box(text);
        QCOMPARE(box.lineCount(), kLines + 1);
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (const QSize size : {QSize(300, 200), QSize(600, 200), QSize(250, 300)}) {
            box.resize(size);
            box.repaint();
            QVERIFY(box.laidOutLines() > 0); // the lines shown have theirs
            QVERIFY(box.laidOutLines() < 1000);
        }
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
        box.resize(300, 200);
        box.setSelStart(0);
        for (int i = 0; i < 150; ++i) {
            QTest::keyClick(&box, Qt::Key_PageDown);
            box.repaint();
        }
        QVERIFY(box.firstVisibleLine() > 1000);
        QVERIFY(box.laidOutLines() < 300);
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
            checkShown(box, model);
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
