#include "box_fixtures.h"
#include "host/box_clipboard.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <new>

using MenuStates = QMap<QString, bool>;

// What the box does by itself with keys, the mouse, an input method, its menu
// and its view: caret moves, deletion, selection, read-only, scrolling.
class TstBoxKeys : public QObject {
    Q_OBJECT

    using Box = TestBox;

    static bool ready(QWidget* window) {
        return QTest::qWaitForWindowExposed(window) && QTest::qWaitForWindowActive(window);
    }

    // The middle of the character that starts at `position`, in the viewport.
    static QPoint onCharacter(const TextBox& box, qsizetype position, qsizetype next) {
        const QRect a = box.caretRect(position);
        const QRect b = box.caretRect(next);
        return QPoint((a.x() + b.x()) / 2, a.center().y());
    }

    static void mouse(TextBox& box, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* view = box.viewport();
        QMouseEvent event(type, at, view->mapToGlobal(at), button, buttons, mods);
        QApplication::sendEvent(view, &event);
    }

    // Opens the context menu, hands it to `use` once it shows, and closes it.
    static void withMenu(TextBox& box, const std::function<void(QMenu*)>& use) {
        QTimer::singleShot(0, &box, [&use] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                use(menu);
                menu->close();
            }
        });
        const QPoint at = box.caretRect(0).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, box.viewport()->mapToGlobal(at));
        QApplication::sendEvent(box.viewport(), &event);
    }

    // The context menu's actions by their text (without '&'), enabled or not.
    static MenuStates menuStates(TextBox& box) {
        MenuStates states;
        withMenu(box, [&states](QMenu* menu) {
            for (QAction* a : menu->actions())
                if (!a->isSeparator())
                    states.insert(a->text().remove(u'&'), a->isEnabled());
        });
        return states;
    }

    // Triggers the context menu's action `text` (without '&') if it is enabled.
    static bool triggerMenu(TextBox& box, const QString& text) {
        bool found = false;
        withMenu(box, [&](QMenu* menu) {
            for (QAction* a : menu->actions()) {
                if (!found && a->text().remove(u'&') == text && a->isEnabled()) {
                    found = true;
                    menu->close();
                    a->trigger();
                }
            }
        });
        return found;
    }

    static void sendInputMethod(TextBox& box, const QString& preedit, const QString& commit) {
        QList<QInputMethodEvent::Attribute> attributes;
        if (!preedit.isEmpty())
            attributes.append({QInputMethodEvent::Cursor, int(preedit.size()), 1, QVariant()});
        QInputMethodEvent event(preedit, attributes);
        if (!commit.isEmpty())
            event.setCommitString(commit);
        QApplication::sendEvent(&box, &event);
    }

    static bool caretInSight(const TextBox& box) {
        const QRect caret = box.caretRect(box.caretPosition());
        const QRect view = box.viewport()->rect();
        return view.contains(caret.topLeft()) && view.contains(caret.bottomRight());
    }

  private slots:

    void cleanup() { QGuiApplication::clipboard()->clear(); }

    // One key on a selection from `anchor` to `caret`: where both end up.
    void caretMoves_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("newAnchor");
        QTest::addColumn<int>("newCaret");
        auto row = [](const char* name, const QString& text, int anchor, int caret, Qt::Key key,
                      Qt::KeyboardModifiers mods, int newAnchor, int newCaret) {
            QTest::newRow(name) << text << anchor << caret << int(key) << int(mods) << newAnchor
                                << newCaret;
        };
        const auto R = Qt::Key_Right;
        const auto L = Qt::Key_Left;
        const auto none = Qt::NoModifier;
        const auto shift = Qt::ShiftModifier;
        const auto ctrl = Qt::ControlModifier;
        const QString crlf = QStringLiteral("a\r\nb");
        row("right over CR LF", crlf, 1, 1, R, none, 3, 3);
        row("left over CR LF", crlf, 3, 3, L, none, 1, 1);
        row("shift right over CR LF", crlf, 1, 1, R, shift, 1, 3);
        row("shift left over CR LF", crlf, 3, 3, L, shift, 3, 1);
        row("right over CR LF at the end", QStringLiteral("a\r\n"), 1, 1, R, none, 3, 3);
        row("right over a lone CR", QStringLiteral("a\rb"), 1, 1, R, none, 2, 2);
        row("left over a lone LF", QStringLiteral("a\nb"), 2, 2, L, none, 1, 1);
        row("right over CR after LF", QStringLiteral("a\n\rb"), 2, 2, R, none, 3, 3);
        row("left over LF before CR", QStringLiteral("a\n\rb"), 2, 2, L, none, 1, 1);
        row("right over U+2028", QStringLiteral("a\u2028b"), 1, 1, R, none, 2, 2);
        row("left over U+2029", QStringLiteral("a\u2029b"), 2, 2, L, none, 1, 1);
        const QString pair = QStringLiteral("x\U0001F600y");
        row("right over a surrogate pair", pair, 1, 1, R, none, 3, 3);
        row("left over a surrogate pair", pair, 3, 3, L, none, 1, 1);
        row("shift right over a surrogate pair", pair, 1, 1, R, shift, 1, 3);
        const QString loneHigh = QString(u'x') + QChar(0xD800) + u'y';
        row("right over a lone high surrogate", loneHigh, 1, 1, R, none, 2, 2);
        row("left over a lone high surrogate", loneHigh, 2, 2, L, none, 1, 1);
        const QString loneLow = QString(u'x') + QChar(0xDE00) + u'y';
        row("right over a lone low surrogate", loneLow, 1, 1, R, none, 2, 2);
        const QString combining = QStringLiteral("e\u0301x");
        row("right over a combining sequence", combining, 0, 0, R, none, 2, 2);
        row("left over a combining sequence", combining, 2, 2, L, none, 0, 0);
        row("shift left over a combining sequence", combining, 3, 2, L, shift, 3, 0);
        row("shift left at the start", QStringLiteral("ab"), 0, 0, L, shift, 0, 0);
        row("right at the end after CR LF", crlf + QStringLiteral("\r\n"), 6, 6, R, none, 6, 6);
        const QString hello = QStringLiteral("hello");
        row("left ends a selection at its start", hello, 1, 4, L, none, 1, 1);
        row("left ends a backward selection at its start", hello, 4, 1, L, none, 1, 1);
        row("right ends a selection at its end", hello, 4, 1, R, none, 4, 4);
        row("right ends a selection over CR LF at its end", crlf, 0, 3, R, none, 3, 3);
        row("shift right grows a selection", hello, 1, 3, R, shift, 1, 4);
        row("shift left shrinks a selection", hello, 1, 3, L, shift, 1, 2);
        const QString lines = QStringLiteral("ab\r\ncdef\r\ng");
        row("home", lines, 6, 6, Qt::Key_Home, none, 4, 4);
        row("end stops before CR LF", lines, 6, 6, Qt::Key_End, none, 8, 8);
        row("shift home", lines, 6, 6, Qt::Key_Home, shift, 6, 4);
        row("shift end", lines, 6, 6, Qt::Key_End, shift, 6, 8);
        row("end before a lone CR", QStringLiteral("ab\rc"), 0, 0, Qt::Key_End, none, 2, 2);
        row("home after a lone LF", QStringLiteral("a\nbc"), 3, 3, Qt::Key_Home, none, 2, 2);
        row("home after U+2029", QStringLiteral("a\u2029bc"), 4, 4, Qt::Key_Home, none, 2, 2);
        row("ctrl home", lines, 6, 6, Qt::Key_Home, ctrl, 0, 0);
        row("ctrl end", lines, 6, 6, Qt::Key_End, ctrl, 11, 11);
        row("ctrl shift home", lines, 6, 6, Qt::Key_Home, ctrl | shift, 6, 0);
        row("ctrl shift end", lines, 6, 6, Qt::Key_End, ctrl | shift, 6, 11);
        // A long line's pieces are lines of their own for Home and End.
        const int piece = int(exact_text::kPiece);
        // Cut while more than kLongLine is left: pieces of 500, 500, 500 and 700.
        const QString longLine =
            QStringLiteral("x\r\n") + QString(2 * int(exact_text::kLongLine) + 200, u'a');
        const int onPiece = 3 + piece + 7;
        row("home on a piece", longLine, onPiece, onPiece, Qt::Key_Home, none, 3 + piece,
            3 + piece);
        row("end on a piece", longLine, onPiece, onPiece, Qt::Key_End, none, 3 + 2 * piece,
            3 + 2 * piece);
        const int onLast = 3 + 3 * piece + 7;
        row("home on the last piece", longLine, onLast, onLast, Qt::Key_Home, none, 3 + 3 * piece,
            3 + 3 * piece);
        row("end on the last piece", longLine, onLast, onLast, Qt::Key_End, none,
            int(longLine.size()), int(longLine.size()));
    }
    void caretMoves() {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, newAnchor);
        QFETCH(int, newCaret);
        Box box(text);
        box.setSelection(anchor, caret);
        QTest::keyClick(&box, Qt::Key(key), Qt::KeyboardModifiers(mods));
        QCOMPARE(box.anchorPosition(), newAnchor);
        QCOMPARE(box.caretPosition(), newCaret);
        QCOMPARE(box.text(), text);
    }

    // Across the cuts of a long line every step is one character: as many
    // Right (and Left) keys as units, never a step that stays in place.
    void arrowsCrossTheCutsOfALongLine() {
        const int size = 2 * int(exact_text::kLongLine) + 300; // cut at 500, 1000 and 1500
        const QString text = QString(size, u'a') + QStringLiteral("\r\nb");
        Box box(text);
        QVERIFY(box.lineCount() >= 3);
        for (int i = 1; i <= size; ++i) {
            QTest::keyClick(&box, Qt::Key_Right);
            QCOMPARE(box.caretPosition(), i);
        }
        QTest::keyClick(&box, Qt::Key_Right);
        QCOMPARE(box.caretPosition(), size + 2);
        for (int i = size; i >= 0; --i) {
            QTest::keyClick(&box, Qt::Key_Left);
            QCOMPARE(box.caretPosition(), i);
        }
        // Shift selects across a cut the same way.
        box.setSelStart(int(exact_text::kPiece) - 3);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(box.selStart(), int(exact_text::kPiece) - 3);
        QCOMPARE(box.selLength(), 4);
    }

    // Ctrl+Right and Ctrl+Left stop at word starts and at line ends; a line
    // break is one stop of its own.
    void wordMoves() {
        const QString text = QStringLiteral("foo bar\r\nbaz qux");
        Box box(text);
        QList<qsizetype> stops;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(&box, Qt::Key_Right, Qt::ControlModifier);
            stops << box.caretPosition();
        }
        QCOMPARE(stops, (QList<qsizetype>{4, 7, 9, 13, 16, 16}));
        stops.clear();
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(&box, Qt::Key_Left, Qt::ControlModifier);
            stops << box.caretPosition();
        }
        QCOMPARE(stops, (QList<qsizetype>{13, 9, 7, 4, 0, 0}));
        QCOMPARE(box.anchorPosition(), 0);
        // With Shift the word moves select.
        box.setSelStart(4);
        QTest::keyClick(&box, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&box, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(box.selText(), QStringLiteral("bar\r\n"));
        QCOMPARE(box.text(), text);
    }

    // End on a piece of a cut line goes to the cut and is drawn at the end of
    // that piece, not at the start of the next: End again stays, Home goes
    // back to the piece's start, Up from the line's end climbs to the cut; a
    // composition begun there is drawn where the caret is and told to the
    // input method, and a key typed there goes in at the cut.
    void caretAtACut() {
        const qsizetype piece = exact_text::kPiece;
        const QString text = QString(int(piece + exact_text::kLongLine), u'a'); // 500 + 1000
        Box box(text);
        QVERIFY(ready(&box));
        box.setSelStart(7);
        const QRect startOfPiece = box.caretRect(0);
        QTest::keyClick(&box, Qt::Key_End);
        QCOMPARE(box.caretPosition(), piece);
        QCOMPARE(box.caretRect(piece).top(), startOfPiece.top());
        QVERIFY(box.caretRect(piece).left() > startOfPiece.left());
        QTest::keyClick(&box, Qt::Key_End);
        QCOMPARE(box.caretPosition(), piece);
        QTest::keyClick(&box, Qt::Key_Home);
        QCOMPARE(box.caretPosition(), 0);
        QTest::keyClick(&box, Qt::Key_End);
        QTest::keyClick(&box, Qt::Key_Down); // the column kept on the next piece
        QCOMPARE(box.caretPosition(), 2 * piece);
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.caretPosition(), piece);
        QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.caretPosition(), piece);
        QCOMPARE(box.caretRect(piece).top(), startOfPiece.top());
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.caretPosition(), 0);
        QTest::keyClick(&box, Qt::Key_Down); // back to the column it came from
        QCOMPARE(box.caretPosition(), text.size());
        box.setSelStart(7);
        QTest::keyClick(&box, Qt::Key_End);
        sendInputMethod(box, QStringLiteral("ni"), QString());
        const QRect caret = box.caretRect(piece);
        QCOMPARE(caret.top(), box.caretRect(piece + 1).top());
        QCOMPARE(box.inputMethodQuery(Qt::ImCursorRectangle).toRect(),
                 caret.translated(box.viewport()->pos()));
        sendInputMethod(box, QString(), QString());
        QTest::keyClicks(&box, QStringLiteral("Z"));
        QCOMPARE(box.text(), QString(text).insert(piece, u'Z'));
    }

    // A mouse selection held below the box goes on growing and scrolling with
    // no further move.
    void selectionHeldBelowTheBoxScrolls() {
        Box box(QStringLiteral("line\r\n").repeated(200));
        QVERIFY(ready(&box));
        const QPoint start = box.caretRect(2).center();
        // Through the window system, so that the application knows the button is down.
        QTest::mousePress(box.viewport(), Qt::LeftButton, Qt::NoModifier, start);
        const QPoint below(start.x(), box.viewport()->height() + 30);
        QCursor::setPos(box.viewport()->mapToGlobal(below));
        QTest::mouseMove(box.viewport(), below);
        const int first = box.firstVisibleLine();
        QTRY_VERIFY(box.firstVisibleLine() > first + 3);
        QCOMPARE(box.anchorPosition(), 2);
        QVERIFY(box.caretPosition() > 6 * (first + 3));
        QTest::mouseRelease(box.viewport(), Qt::LeftButton, Qt::NoModifier, below);
        QVERIFY(box.caretPosition() > 6 * (first + 3));
        QCOMPARE(box.text(), QStringLiteral("line\r\n").repeated(200));
    }

    // A caret in sight stays in sight when the box gets smaller.
    void caretStaysInSightWhenTheBoxShrinks() {
        Box box(QStringLiteral("line\r\n").repeated(100));
        QVERIFY(ready(&box));
        box.resize(300, 400);
        QTRY_COMPARE(box.height(), 400);
        box.setSelStart(6 * 12);
        QVERIFY(box.viewport()->rect().contains(box.caretRect(box.caretPosition()).center()));
        box.resize(300, 100);
        QTRY_COMPARE(box.height(), 100);
        QVERIFY(box.viewport()->rect().contains(box.caretRect(box.caretPosition()).center()));
    }

    // Up and Down keep the x they started from across a shorter line, and
    // stop at the first and last lines' ends.
    void upAndDownKeepTheColumn() {
        const QString text = QStringLiteral("abcdefgh\r\nab\r\nabcdefgh\n\u2029abcdefgh");
        Box box(text);
        box.setSelStart(6);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.caretPosition(), 12); // the end of the short line
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.caretPosition(), 14 + 6);
        QTest::keyClick(&box, Qt::Key_Down); // the empty line between LF and U+2029
        QCOMPARE(box.caretPosition(), 23);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.caretPosition(), 24 + 6);
        QTest::keyClick(&box, Qt::Key_Down); // on the last line: to its end
        QCOMPARE(box.caretPosition(), 32);
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.caretPosition(), 23);
        QTest::keyClick(&box, Qt::Key_Up);
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.caretPosition(), 12);
        QTest::keyClick(&box, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(box.caretPosition(), 6);
        QCOMPARE(box.anchorPosition(), 12);
        QTest::keyClick(&box, Qt::Key_Up); // on the first line: to its start
        QCOMPARE(box.caretPosition(), 0);
        QCOMPARE(box.anchorPosition(), 0);
        // A sideways move takes a new column.
        box.setSelStart(14 + 7);
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.caretPosition(), 12);
        QTest::keyClick(&box, Qt::Key_Left);
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.caretPosition(), 1);
        QCOMPARE(box.text(), text);
    }

    // Page keys move the caret about a screen and the view with it.
    void pageKeys() {
        QString text;
        for (int i = 0; i < 300; ++i)
            text += QStringLiteral("l%1\r\n").arg(i, 3, 10, QLatin1Char('0'));
        Box box(text);
        QVERIFY(ready(&box));
        box.setSelStart(2);
        QCOMPARE(box.firstVisibleLine(), 0);
        QTest::keyClick(&box, Qt::Key_PageDown);
        const int line = int(box.caretPosition() / 6);
        QVERIFY2(line >= 5 && line < 40, qPrintable(QString::number(line)));
        QCOMPARE(box.caretPosition() % 6, 2); // the column kept
        QVERIFY(box.firstVisibleLine() > 0);
        QVERIFY(caretInSight(box));
        QTest::keyClick(&box, Qt::Key_PageDown);
        QCOMPARE(box.caretPosition(), 6 * 2 * line + 2);
        QVERIFY(caretInSight(box));
        QTest::keyClick(&box, Qt::Key_PageUp, Qt::ShiftModifier);
        QCOMPARE(box.caretPosition(), 6 * line + 2);
        QCOMPARE(box.anchorPosition(), 6 * 2 * line + 2);
        QTest::keyClick(&box, Qt::Key_PageUp);
        QCOMPARE(box.caretPosition(), 2);
        QCOMPARE(box.firstVisibleLine(), 0);
        QTest::keyClick(&box, Qt::Key_PageUp);
        QCOMPARE(box.caretPosition(), 0);
        QCOMPARE(box.text(), text);
    }

    // One Backspace, Delete or Enter (Ctrl with the first two), or a write, on
    // a selection from `anchor` to `caret`: the text, caret and lines after it,
    // one step or none, and undo brings the text and its lines back.
    void edits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("newCaret");
        const auto s = [](const char16_t* t) { return QString::fromUtf16(t); };
        auto row = [](const char* name, const QString& text, int anchor, int caret, Qt::Key key,
                      bool ctrl, const QString& result, int newCaret) {
            QTest::newRow(name) << text << anchor << caret << int(key) << ctrl << QString()
                                << result << newCaret;
        };
        auto write = [](const char* name, const QString& text, int anchor, int caret,
                        const QString& written, const QString& result, int newCaret) {
            QTest::newRow(name) << text << anchor << caret << 0 << false << written << result
                                << newCaret;
        };
        const auto B = Qt::Key_Backspace;
        const auto D = Qt::Key_Delete;
        const auto E = Qt::Key_Return;
        row("backspace after CR LF", s(u"a\r\nb"), 3, 3, B, false, s(u"ab"), 1);
        row("backspace after CR LF after CR LF", s(u"a\r\n\r\nb"), 5, 5, B, false, s(u"a\r\nb"), 3);
        row("delete before CR LF", s(u"a\r\nb"), 1, 1, D, false, s(u"ab"), 1);
        row("backspace after CR LF after a lone CR", s(u"\r\r\n"), 3, 3, B, false, s(u"\r"), 1);
        row("backspace after a lone CR after LF", s(u"\n\r"), 2, 2, B, false, s(u"\n"), 1);
        row("backspace after a lone LF after CR LF", s(u"\r\n\n"), 3, 3, B, false, s(u"\r\n"), 2);
        row("backspace over a lone LF", s(u"a\n\nb"), 2, 2, B, false, s(u"a\nb"), 1);
        row("delete of a lone LF before CR", s(u"\n\r"), 0, 0, D, false, s(u"\r"), 0);
        row("delete of a lone CR before a pair", s(u"\r\r\n"), 0, 0, D, false, s(u"\r\n"), 0);
        row("backspace joins CR and LF", s(u"a\rZ\nb"), 3, 3, B, false, s(u"a\r\nb"), 1);
        row("delete joins CR and LF", s(u"a\rZ\nb"), 2, 2, D, false, s(u"a\r\nb"), 1);
        row("backspace after U+2028", s(u"a\u2028"), 2, 2, B, false, s(u"a"), 1);
        row("delete of U+2029", s(u"a\u2029b"), 1, 1, D, false, s(u"ab"), 1);
        const QString pair = s(u"x\U0001F600y");
        row("backspace after a surrogate pair", pair, 3, 3, B, false, s(u"xy"), 1);
        row("delete of a surrogate pair", pair, 1, 1, D, false, s(u"xy"), 1);
        const QString loneHigh = QString(u'x') + QChar(0xD83D) + u'y';
        row("backspace after a lone high surrogate", loneHigh, 2, 2, B, false, s(u"xy"), 1);
        row("delete of a lone high surrogate", loneHigh, 1, 1, D, false, s(u"xy"), 1);
        const QString loneLow = QString(u'x') + QChar(0xDE00) + u'y';
        row("backspace after a lone low surrogate", loneLow, 2, 2, B, false, s(u"xy"), 1);
        row("delete of a lone low surrogate", loneLow, 1, 1, D, false, s(u"xy"), 1);
        const QString highThenPair = QString(QChar(0xD83D)) + s(u"\U0001F600");
        row("backspace after a pair after a lone high surrogate", highThenPair, 3, 3, B, false,
            QString(QChar(0xD83D)), 1);
        row("delete of a lone high surrogate before a pair", highThenPair, 0, 0, D, false,
            s(u"\U0001F600"), 0);
        row("backspace takes one combining mark", s(u"e\u0301\u0302x"), 3, 3, B, false,
            s(u"e\u0301x"), 2);
        row("backspace takes the base after its marks", s(u"ae\u0301"), 2, 2, B, false,
            s(u"a\u0301"), 1);
        row("delete takes the whole grapheme", s(u"e\u0301\u0302x"), 0, 0, D, false, s(u"x"), 0);
        row("ctrl backspace takes a word", s(u"foo bar"), 7, 7, B, true, s(u"foo "), 4);
        row("ctrl backspace takes the space and word", s(u"foo bar"), 4, 4, B, true, s(u"bar"), 0);
        row("ctrl delete takes a word and its space", s(u"foo bar"), 0, 0, D, true, s(u"bar"), 0);
        row("ctrl backspace at a line start takes the break", s(u"ab\r\ncd"), 4, 4, B, true,
            s(u"abcd"), 2);
        row("ctrl delete at a line end takes the break", s(u"ab\r\ncd"), 2, 2, D, true, s(u"abcd"),
            2);
        row("backspace deletes the selection", s(u"hello"), 1, 4, B, false, s(u"ho"), 1);
        row("delete deletes a backward selection", s(u"hello"), 4, 1, D, false, s(u"ho"), 1);
        row("ctrl backspace deletes the selection", s(u"hello world"), 2, 8, B, true, s(u"herld"),
            2);
        row("ctrl delete deletes the selection", s(u"hello world"), 8, 2, D, true, s(u"herld"), 2);
        row("backspace deletes a selected CR LF", s(u"a\r\nb"), 1, 3, B, false, s(u"ab"), 1);
        // Nothing to delete: no change and no step.
        row("backspace at the start", s(u"ab\r\n"), 0, 0, B, false, s(u"ab\r\n"), 0);
        row("ctrl backspace at the start", s(u"ab\r\n"), 0, 0, B, true, s(u"ab\r\n"), 0);
        row("delete at the end", s(u"ab\r\n"), 4, 4, D, false, s(u"ab\r\n"), 4);
        row("ctrl delete at the end", s(u"ab\r\n"), 4, 4, D, true, s(u"ab\r\n"), 4);
        row("enter over the unit between CR and LF", s(u"a\rZ\nb"), 2, 3, E, false,
            s(u"a\r\r\n\nb"), 4);
        row("enter between LF and CR", s(u"\n\r"), 1, 1, E, false, s(u"\n\r\n\r"), 3);
        row("enter after a lone CR at the end", s(u"a\r"), 2, 2, E, false, s(u"a\r\r\n"), 4);
        // Written text that pairs with a lone break next to it shows one break.
        write("LF written after a lone CR", s(u"abc\rZdefgh"), 4, 5, s(u"\n"), s(u"abc\r\ndefgh"),
              5);
        write("CR written before a lone LF", s(u"abcZ\ndefgh"), 3, 4, s(u"\r"), s(u"abc\r\ndefgh"),
              3);
        const QString x40 = QString(40, u'x');
        const QString y40 = QString(40, u'y');
        write("LF written after CR, in a long text", x40 + s(u"\rZ") + y40, 41, 42, s(u"\n"),
              x40 + s(u"\r\n") + y40, 42);
        const int piece = int(exact_text::kPiece);
        const QString longLine(int(exact_text::kLongLine) + 200, u'a');
        row("backspace at a cut", longLine, piece, piece, B, false, longLine.mid(1), piece - 1);
        row("delete at a cut", longLine, piece, piece, D, false, longLine.mid(1), piece);
    }
    void edits() {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(bool, ctrl);
        QFETCH(QString, written);
        QFETCH(QString, result);
        QFETCH(int, newCaret);
        Box box(text);
        box.setSelection(anchor, caret);
        QSignalSpy changed(&box, &TextBox::changed);
        if (key)
            QTest::keyClick(&box, Qt::Key(key), ctrl ? Qt::ControlModifier : Qt::NoModifier);
        else
            box.setSelText(written);
        QCOMPARE(box.text(), result);
        QCOMPARE(box.caretPosition(), newCaret);
        QCOMPARE(box.selLength(), 0);
        const bool cut = text.size() > exact_text::kLongLine;
        checkShown(box, result, cut);
        QCOMPARE(changed.count(), result == text ? 0 : 1);
        QCOMPARE(box.undoEdits(), result == text ? 0 : 1);
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.text(), text);
        checkShown(box, text, cut);
    }

    // A click puts the caret at the character clicked; a drag selects; Shift
    // extends; a click below the last line goes to the last line.
    void mouseClicksAndDrags() {
        const QString text = QStringLiteral("hello world\r\nsecond line\rthird");
        Box box(text);
        QVERIFY(ready(&box));
        for (const qsizetype at : {0, 3, 11, 13, 17, 25, 30}) {
            const QPoint p = box.caretRect(at).center();
            QCOMPARE(box.positionAt(p), at);
            QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier, p);
            QCOMPARE(box.caretPosition(), at);
            QCOMPARE(box.selLength(), 0);
        }
        // A drag from "world" into the next line.
        const QPoint from = box.caretRect(6).center();
        const QPoint to = box.caretRect(19).center();
        mouse(box, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        mouse(box, QEvent::MouseMove, box.caretRect(9).center(), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(box.selText(), QStringLiteral("wor"));
        mouse(box, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(box, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(box.anchorPosition(), 6);
        QCOMPARE(box.caretPosition(), 19);
        QCOMPARE(box.selText(), QStringLiteral("world\r\nsecond"));
        // A move with no button pressed selects nothing.
        mouse(box, QEvent::MouseMove, box.caretRect(2).center(), Qt::NoButton, Qt::NoButton);
        QCOMPARE(box.caretPosition(), 19);
        // A click into the selection, not dragged, is a plain click.
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier,
                          box.caretRect(10).center());
        QCOMPARE(box.caretPosition(), 10);
        QCOMPARE(box.selLength(), 0);
        // Shift+click extends from the anchor, either way.
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          box.caretRect(16).center());
        QCOMPARE(box.anchorPosition(), 10);
        QCOMPARE(box.caretPosition(), 16);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          box.caretRect(2).center());
        QCOMPARE(box.anchorPosition(), 10);
        QCOMPARE(box.caretPosition(), 2);
        // Below the last line, under its second character and far right.
        const QRect last = box.caretRect(27);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(last.x(), last.bottom() + 40));
        QCOMPARE(box.caretPosition(), 27);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(box.viewport()->width() - 5, box.viewport()->height() - 5));
        QCOMPARE(box.caretPosition(), text.size());
        // Past the end of a line: that line's end, before its break.
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(box.viewport()->width() - 5, box.caretRect(3).center().y()));
        QCOMPARE(box.caretPosition(), 11);
        // The right button neither moves the caret nor selects.
        QTest::mouseClick(box.viewport(), Qt::RightButton, Qt::NoModifier,
                          box.caretRect(4).center());
        QCOMPARE(box.caretPosition(), 11);
        QCOMPARE(box.text(), text);
    }

    // A double-click selects the word under it; at the edge between a word and
    // what follows it, the side clicked decides; past a line's end, its last word.
    void doubleClickSelectsAWord() {
        const QString text = QStringLiteral("hello, world\r\ncd ef\rx abc123 y");
        Box box(text);
        QVERIFY(ready(&box));
        auto doubleClick = [&](QPoint at) {
            QTest::mouseDClick(box.viewport(), Qt::LeftButton, Qt::NoModifier, at);
            return box.selText() + u'@' + QString::number(box.selStart());
        };
        auto on = [&](int character) { return onCharacter(box, character, character + 1); };
        auto at = [&](int x, qsizetype lineOf) {
            return QPoint(x, box.caretRect(lineOf).center().y());
        };
        QCOMPARE(doubleClick(on(1)), QStringLiteral("hello@0"));
        QCOMPARE(doubleClick(on(4)), QStringLiteral("hello@0"));
        QCOMPARE(doubleClick(on(8)), QStringLiteral("world@7"));
        QCOMPARE(doubleClick(on(18)), QStringLiteral("ef@17"));
        QCOMPARE(doubleClick(on(24)), QStringLiteral("abc123@22"));
        QCOMPARE(doubleClick(at(box.caretRect(5).x() - 1, 0)), QStringLiteral("hello@0"));
        QCOMPARE(doubleClick(at(box.caretRect(5).x() + 1, 0)), QStringLiteral(",@5"));
        QCOMPARE(doubleClick(at(box.caretRect(6).x() + 1, 0)), QStringLiteral(" @6"));
        QCOMPARE(doubleClick(at(box.caretRect(7).x() - 1, 0)), QStringLiteral(" @6"));
        QCOMPARE(doubleClick(at(box.caretRect(7).x() + 1, 0)), QStringLiteral("world@7"));
        QCOMPARE(doubleClick(at(box.caretRect(0).x(), 0)), QStringLiteral("hello@0"));
        const int right = box.viewport()->width() - 5;
        QCOMPARE(doubleClick(at(right, 0)), QStringLiteral("world@7"));
        QCOMPARE(doubleClick(at(right, 14)), QStringLiteral("ef@17"));
        QCOMPARE(doubleClick(at(right, 20)), QStringLiteral("y@29"));
        QCOMPARE(box.text(), text);
    }

    // Hanzi: whatever the word boundaries are, the selection holds the
    // character clicked, stays within its run, and ends where it starts a word.
    void doubleClickOnHanzi() {
        const QString text = QStringLiteral("ab 中文字频 cd");
        Box box(text);
        QVERIFY(ready(&box));
        QTest::mouseDClick(box.viewport(), Qt::LeftButton, Qt::NoModifier, onCharacter(box, 4, 5));
        QVERIFY(box.selLength() > 0);
        QVERIFY(box.selStart() <= 4);
        QVERIFY(box.selStart() + box.selLength() >= 5);
        QVERIFY(box.selStart() >= 3);
        QVERIFY(box.selStart() + box.selLength() <= 7);
    }

    // A key that runs out of memory is refused and reported; the box goes on.
    void keyWithoutMemory() {
        TestBox box(QStringLiteral("ab\r\ncd"));
        box.setSelStart(2);
        QSignalSpy refused(&box, &TextBox::outOfMemory);
        box.keyPressFilter = [](int&) { throw std::bad_alloc(); };
        QTest::keyClicks(&box, QStringLiteral("x"));
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(refused.count(), 2);
        QCOMPARE(box.text(), QStringLiteral("ab\r\ncd"));
        QCOMPARE(box.shownText(exact_text::kBlockBreak), QStringLiteral("ab\u2029cd"));
        box.keyPressFilter = nullptr;
        QTest::keyClicks(&box, QStringLiteral("x"));
        QCOMPARE(box.text(), QStringLiteral("abx\r\ncd"));
        QCOMPARE(box.caretPosition(), 3);
    }

    // A read-only box: selection and copy work, nothing changes its text.
    void readOnlyBox() {
        const QString text = QStringLiteral("alpha\r\nbeta");
        Box box;
        box.setText(text);
        box.setSelStart(5);
        box.setSelText(QStringLiteral("!")); // a step for undo to try
        const QString before = box.text();
        box.setReadOnly(true);
        QVERIFY(ready(&box));
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        QSignalSpy changed(&box, &TextBox::changed);
        box.setSelection(0, 3);
        QTest::keyClicks(&box, QStringLiteral("xyz"));
        for (const Qt::Key key :
             {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Tab})
            QTest::keyClick(&box, key);
        QCOMPARE(box.selLength(), 3);
        for (const Qt::Key key :
             {Qt::Key_V, Qt::Key_X, Qt::Key_Z, Qt::Key_Y, Qt::Key_Backspace, Qt::Key_Delete})
            QTest::keyClick(&box, key, Qt::ControlModifier);
        box.setSelection(0, 3);
        box.paste();
        box.cut();
        box.setSelection(0, 3);
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        typeText(&box, QStringLiteral("中"));
        sendInputMethod(box, QString(), QStringLiteral("文"));
        QMimeData mime;
        mime.setText(QStringLiteral("dropped"));
        const QPoint at = box.caretRect(2).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box.viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        box.dropEvent(&drop); // as if delivered all the same
        QVERIFY(!drop.isAccepted());
        QCOMPARE(box.text(), before);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!box.testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(box.inputMethodQuery(Qt::ImEnabled).toBool(), false);
        // Keys still select, and Ctrl+C copies.
        box.setSelStart(0);
        QTest::keyClick(&box, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&box, Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(box.selText(), QStringLiteral("alpha!\r\nbeta"));
        QTest::keyClick(&box, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(box.selText(), QStringLiteral("alpha!\r\nbet"));
        QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(box_clipboard::text(QGuiApplication::clipboard()->mimeData()),
                 QStringLiteral("alpha!\r\nbet"));
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box.selText(), before);
        QCOMPARE(box.text(), before);
        // Editable again, the same keys edit.
        box.setReadOnly(false);
        box.setSelStart(0);
        QTest::keyClicks(&box, QStringLiteral("x"));
        QCOMPARE(box.text(), QStringLiteral("x") + before);
    }

    // With the editable box focused, the box takes its keys before the
    // window's shortcuts; a read-only box leaves them to the window.
    void shortcutOverride_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("triggered");
        const struct {
            const char* name;
            Qt::Key key;
            Qt::KeyboardModifiers mods;
        } keys[] = {
            {"ctrl v", Qt::Key_V, Qt::ControlModifier},
            {"ctrl a", Qt::Key_A, Qt::ControlModifier},
            {"ctrl z", Qt::Key_Z, Qt::ControlModifier},
            {"ctrl x", Qt::Key_X, Qt::ControlModifier},
            {"ctrl home", Qt::Key_Home, Qt::ControlModifier},
            {"ctrl y", Qt::Key_Y, Qt::ControlModifier},
            {"page down", Qt::Key_PageDown, Qt::NoModifier},
            {"delete", Qt::Key_Delete, Qt::NoModifier},
            {"letter", Qt::Key_Q, Qt::NoModifier},
        };
        for (const auto& k : keys) {
            QTest::addRow("%s editable", k.name) << int(k.key) << int(k.mods) << false << false;
            QTest::addRow("%s read-only", k.name) << int(k.key) << int(k.mods) << true << true;
        }
    }
    void shortcutOverride() {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(bool, readOnly);
        QFETCH(bool, triggered);
        QMainWindow window;
        auto* box = new Box(QStringLiteral("some text"), &window);
        window.setCentralWidget(box);
        auto* action = new QAction(QStringLiteral("Window command"), &window);
        action->setShortcut(QKeySequence(key | mods));
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
        QSignalSpy spy(action, &QAction::triggered);
        box->setReadOnly(readOnly);
        window.resize(300, 200);
        window.show();
        QVERIFY(ready(&window));
        box->setFocus();
        QVERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(mods));
        QCOMPARE(spy.count(), triggered ? 1 : 0);
    }

    // A commit is typed at the caret over the selection; a preedit is only
    // shown, and the key filter sees every committed character.
    void inputMethod() {
        Box box(QStringLiteral("ab\r\ncd"));
        QVERIFY(ready(&box));
        box.setSelStart(1);
        sendInputMethod(box, QString(), QStringLiteral("中文"));
        QCOMPARE(box.text(), QStringLiteral("a中文b\r\ncd"));
        QCOMPARE(box.caretPosition(), 3);
        // Over a selection.
        box.setSelection(1, 3);
        sendInputMethod(box, QString(), QStringLiteral("字"));
        QCOMPARE(box.text(), QStringLiteral("a字b\r\ncd"));
        QCOMPARE(box.caretPosition(), 2);
        QCOMPARE(box.selLength(), 0);
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box.text(), QStringLiteral("a中文b\r\ncd"));
        // A preedit is shown at the caret, not written: the text, its lines
        // and its size stay; the caret is drawn after the preedit.
        box.setSelStart(3);
        const QRect plainCaret = box.caretRect(3);
        QSignalSpy changed(&box, &TextBox::changed);
        sendInputMethod(box, QStringLiteral("zhong"), QString());
        QCOMPARE(box.text(), QStringLiteral("a中文b\r\ncd"));
        QCOMPARE(box.shownLine(0), QStringLiteral("a中文b"));
        QCOMPARE(box.caretPosition(), 3);
        QCOMPARE(changed.count(), 0);
        QVERIFY(box.caretRect(3).x() > plainCaret.x());
        box.repaint();
        // The commit ends the preedit.
        sendInputMethod(box, QString(), QStringLiteral("中"));
        QCOMPARE(box.text(), QStringLiteral("a中文中b\r\ncd"));
        QCOMPARE(box.caretPosition(), 4);
        // No preedit is left: the caret is one hanzi on, not a preedit's width.
        const int hanzi = box.caretRect(3).x() - box.caretRect(2).x();
        QVERIFY(qAbs(box.caretRect(4).x() - box.caretRect(3).x() - hanzi) <= 1);
        const QRect committed = box.caretRect(4);
        // A preedit cancelled leaves the text and the caret as they were.
        sendInputMethod(box, QStringLiteral("wen"), QString());
        QVERIFY(box.caretRect(4).x() > committed.x());
        sendInputMethod(box, QString(), QString());
        QCOMPARE(box.text(), QStringLiteral("a中文中b\r\ncd"));
        QCOMPARE(box.caretRect(4), committed);
        // The filter drops what it zeroes and changes what it changes.
        box.keyPressFilter = [](int& code) {
            if (code == u'文')
                code = 0;
            else if (code == u'x')
                code = u'y';
        };
        box.setSelStart(0);
        sendInputMethod(box, QString(), QStringLiteral("文x字文"));
        QCOMPARE(box.text(), QStringLiteral("y字a中文中b\r\ncd"));
        QCOMPARE(box.caretPosition(), 2);
        QCOMPARE(box.inputMethodQuery(Qt::ImSurroundingText).toString(),
                 QStringLiteral("y字a中文中b"));
        QCOMPARE(box.inputMethodQuery(Qt::ImCursorPosition).toInt(), 2);
    }

    // A preedit is drawn at the caret only: a caret moved away (by a key or
    // a click) leaves no preedit behind on its old line, and is drawn where
    // its own position is.
    void preeditStaysAtTheCaret() {
        Box box(QStringLiteral("hello, world\r\nsecond line"));
        QVERIFY(ready(&box));
        const QRect plain3 = box.caretRect(3);
        const QRect plain5 = box.caretRect(5);
        const QRect plain17 = box.caretRect(17);
        const QRect plain20 = box.caretRect(20);
        box.setSelStart(3);
        sendInputMethod(box, QStringLiteral("zhong"), QString());
        QVERIFY(box.caretRect(3).x() > plain3.x()); // drawn after the preedit
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.caretPosition(), 17);
        QCOMPARE(box.caretRect(5), plain5);
        QCOMPARE(box.caretRect(17), plain17);
        sendInputMethod(box, QStringLiteral("wen"), QString());
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::NoModifier, plain5.center());
        QCOMPARE(box.caretPosition(), 5);
        QCOMPARE(box.caretRect(5), plain5);
        QCOMPARE(box.caretRect(20), plain20);
        QCOMPARE(box.text(), QStringLiteral("hello, world\r\nsecond line"));
    }

    // An edit elsewhere while composing (a command, undo, a drop) ends the
    // composition: its line no longer draws it.
    void compositionEndsWithAnEditElsewhere() {
        Box box(QStringLiteral("line\r\n").repeated(60));
        QVERIFY(ready(&box));
        box.clearFocus(); // no caret drawn: the pictures show only the text
        const QImage plain = box.viewport()->grab().toImage();
        box.setSelStart(6 * 3 + 2);
        sendInputMethod(box, QStringLiteral("zhong"), QString());
        QVERIFY(box.viewport()->grab().toImage() != plain);
        // The last line, out of sight, is written: the caret goes to the start.
        box.setTextAsStep(QStringLiteral("line\r\n").repeated(59) + QStringLiteral("LINE\r\n"));
        QCOMPARE(box.viewport()->grab().toImage(), plain);
    }

    // The input method follows the caret, to put its candidate list beside it.
    void inputMethodFollowsTheCaret() {
        Box box(QStringLiteral("ab\r\ncd\r\nef"));
        QVERIFY(ready(&box));
        QSignalSpy moved(QGuiApplication::inputMethod(), &QInputMethod::cursorRectangleChanged);
        QTest::keyClick(&box, Qt::Key_Down);
        QVERIFY(moved.count() > 0);
        moved.clear();
        QTest::keyClicks(&box, QStringLiteral("x"));
        QVERIFY(moved.count() > 0);
        QCOMPARE(
            QGuiApplication::inputMethod()->cursorRectangle().toRect(),
            box.caretRect(box.caretPosition()).translated(box.viewport()->mapTo(&box, QPoint())));
    }

    // A screen reader reads the exact text, the caret and the selection, and
    // moves them.
    void accessibleText() {
        Box box(QStringLiteral("ab\r\ncd\u2029ef"));
        QVERIFY(ready(&box));
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&box);
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::EditableText);
        QAccessibleTextInterface* t = a->textInterface();
        QVERIFY(t);
        QCOMPARE(t->characterCount(), 9);
        QCOMPARE(t->text(0, 9), box.text());
        QCOMPARE(t->text(1, 5), QStringLiteral("b\r\nc"));
        QCOMPARE(t->text(7, 50), QStringLiteral("ef"));
        box.setSelection(5, 1);
        int start = -1;
        int end = -1;
        QCOMPARE(t->selectionCount(), 1);
        t->selection(0, &start, &end);
        QCOMPARE(start, 1);
        QCOMPARE(end, 5);
        QCOMPARE(t->cursorPosition(), 1);
        t->setCursorPosition(7);
        QCOMPARE(box.caretPosition(), 7);
        QCOMPARE(t->selectionCount(), 0);
        t->setSelection(0, 8, 2);
        QCOMPARE(box.anchorPosition(), 8);
        QCOMPARE(box.caretPosition(), 2);
        const QPoint onD = box.viewport()->mapToGlobal(box.caretRect(5).center());
        QCOMPARE(t->offsetAtPoint(onD + QPoint(1, 0)), 5);
        QCOMPARE(t->characterRect(5).topLeft(),
                 box.viewport()->mapToGlobal(box.caretRect(5).topLeft()));
        QVERIFY(a->state().editable && a->state().multiLine);
        box.setReadOnly(true);
        QVERIFY(a->state().readOnly && !a->state().editable);
    }

    // The caret moved far away is brought into sight, down and across.
    void caretIsBroughtIntoSight() {
        QString text;
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("line %1\r\n").arg(i);
        text += QString(900, u'W') + QStringLiteral("\r\nend");
        Box box(text);
        QVERIFY(ready(&box));
        box.setSelStart(int(text.indexOf(QStringLiteral("line 200"))));
        QVERIFY(box.firstVisibleLine() > 150);
        QVERIFY(caretInSight(box));
        QTest::keyClick(&box, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(box.firstVisibleLine(), 0);
        QVERIFY(caretInSight(box));
        QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(box.caretPosition(), text.size());
        QVERIFY(box.firstVisibleLine() > 390);
        QVERIFY(caretInSight(box));
        // Up to the end of the long line, then Home back to its start.
        QTest::keyClick(&box, Qt::Key_Up);
        QTest::keyClick(&box, Qt::Key_End);
        QCOMPARE(box.caretPosition(), text.size() - 5);
        QVERIFY(box.horizontalScrollBar()->value() > 0);
        QVERIFY(caretInSight(box));
        QTest::keyClick(&box, Qt::Key_Home);
        QCOMPARE(box.horizontalScrollBar()->value(), 0);
        QVERIFY(caretInSight(box));
        // Down keys from the top follow the caret line by line.
        box.setSelStart(0);
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(&box, Qt::Key_Down);
            QVERIFY(caretInSight(box));
        }
        QVERIFY(box.firstVisibleLine() > 0);
        // Right keys along the long line scroll across.
        box.setSelStart(int(text.size()) - 5 - 900);
        for (int i = 0; i < 900; ++i)
            QTest::keyClick(&box, Qt::Key_Right);
        QVERIFY(box.horizontalScrollBar()->value() > 0);
        QVERIFY(caretInSight(box));
        // Typing at the end of a long line keeps the caret in sight.
        QTest::keyClicks(&box, QStringLiteral("WWWWWWWWWW"));
        QVERIFY(caretInSight(box));
    }

    void contextMenu_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("clipboard");
        QTest::addColumn<MenuStates>("states");
        using M = MenuStates;
        auto states = [](bool undo, bool cut, bool copy, bool paste, bool del) {
            return M{{"Undo", undo},   {"Redo", false}, {"Cut", cut},        {"Copy", copy},
                     {"Paste", paste}, {"Delete", del}, {"Select All", true}};
        };
        QTest::newRow("editable, nothing selected")
            << false << false << false << false << states(false, false, false, false, false);
        QTest::newRow("editable, selected, edited, clipboard")
            << false << true << true << true << states(true, true, true, true, true);
        QTest::newRow("editable, clipboard only")
            << false << false << false << true << states(false, false, false, true, false);
        QTest::newRow("read-only, selected, edited, clipboard")
            << true << true << true << true << states(false, false, true, false, false);
        QTest::newRow("read-only, nothing selected")
            << true << false << false << true << states(false, false, false, false, false);
    }
    void contextMenu() {
        QFETCH(bool, readOnly);
        QFETCH(bool, selected);
        QFETCH(bool, edited);
        QFETCH(bool, clipboard);
        QFETCH(MenuStates, states);
        Box box(QStringLiteral("menu text"));
        QVERIFY(ready(&box));
        if (edited)
            box.setSelText(QStringLiteral("x"));
        if (selected)
            box.setSelection(0, 4);
        if (clipboard)
            QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
        box.setReadOnly(readOnly);
        const QString before = box.text();
        QCOMPARE(menuStates(box), states);
        QCOMPARE(box.text(), before);
        QCOMPARE(box.selLength(), selected ? 4 : 0);
    }

    // The menu's commands do what their keys do.
    void contextMenuCommands() {
        Box box(QStringLiteral("one two"));
        QVERIFY(ready(&box));
        QVERIFY(triggerMenu(box, QStringLiteral("Select All")));
        QCOMPARE(box.selLength(), 7);
        box.setSelection(0, 4);
        QVERIFY(triggerMenu(box, QStringLiteral("Copy")));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("one "));
        QVERIFY(triggerMenu(box, QStringLiteral("Delete")));
        QCOMPARE(box.text(), QStringLiteral("two"));
        QVERIFY(triggerMenu(box, QStringLiteral("Undo")));
        QCOMPARE(box.text(), QStringLiteral("one two"));
        QVERIFY(triggerMenu(box, QStringLiteral("Redo")));
        QCOMPARE(box.text(), QStringLiteral("two"));
        box.setSelStart(3);
        QVERIFY(triggerMenu(box, QStringLiteral("Paste")));
        QCOMPARE(box.text(), QStringLiteral("twoone "));
        box.setSelection(0, 3);
        QVERIFY(triggerMenu(box, QStringLiteral("Cut")));
        QCOMPARE(box.text(), QStringLiteral("one "));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("two"));
    }
};

QTEST_MAIN(TstBoxKeys)
#include "tst_box_keys.moc"
