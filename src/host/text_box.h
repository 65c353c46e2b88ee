#pragma once

#include "host/block_map.h"
#include "host/piece_text.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>
#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <memory>

class QMimeData;
class QTextLayout;

// A multi-line text box whose text is exactly what was written to it: CR LF is
// two code units, lone CR and lone LF stay single characters, and every other
// code unit round-trips unchanged. Positions and lengths are exact-text code units.
//
// The box paints its lines straight from the exact text: only the lines in
// sight are laid out, so a keystroke, opening and scrolling cost what is shown,
// not the size of the text. Every line break (CR LF, lone CR, lone LF, U+2028,
// U+2029) ends a line, and a line longer than exact_text::kLongLine is shown
// cut into pieces (see BlockMap).
class TextBox : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TextBox(QWidget* parent = nullptr);
    ~TextBox() override;

    // The whole text as one string: O(n), made only when asked for.
    QString text() const { return m_text.toString(); }
    // The text itself, without making one string of it: an O(1) copy is a
    // version of it that later edits leave as it is.
    const PieceText& content() const { return m_text; }
    qsizetype textSize() const { return m_text.size(); }
    bool textIs(QStringView text) const { return m_text.equals(text); }
    // Raises changed() even when the text is the same; caret at 0, nothing selected.
    // Starts a fresh undo history.
    void setText(const QString& text);
    // The same as one step that undo takes back (a command over the whole text):
    // only the part that differs is kept in the history.
    void setTextAsStep(const QString& text);
    // The same for text that is not the document's own (a placeholder): the undo
    // history is neither added to nor cleared.
    void setTextOutsideHistory(const QString& text);

    int selStart() const;
    // Cancels the selection; beyond the end puts the caret at the end. False for a negative value.
    bool setSelStart(int position);
    int selLength() const;
    // Selects from selStart(); cut at the end of the text. False for a negative value.
    bool setSelLength(int length);
    QString selText() const;
    // Replaces the selection and leaves the caret after the new text.
    void setSelText(const QString& text);
    // The caret is the moving end of the selection, the anchor the fixed one.
    qsizetype caretPosition() const { return m_caret; }
    qsizetype anchorPosition() const { return m_anchor; }
    // Selects from `anchor` to `caret` (either way round) and brings the caret into sight.
    void setSelection(qsizetype anchor, qsizetype caret);
    void selectAll();

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    bool fontItalic() const { return font().italic(); }
    void setFontItalic(bool italic);

    bool canUndo() const { return !m_undo.empty(); }
    void undoEdit();
    void redoEdit();
    // The box's own clipboard commands (its keys and its context menu).
    void copy() const;
    void cut();
    void paste();
    // The undo history keeps the newest steps within a quarter of the memory
    // left, at most this much; the oldest go first.
    static constexpr qint64 kMaxHistoryBytes = qint64(1) << 30;
    // Edits in the undo history (a move holds two).
    int undoEdits() const { return int(m_undo.size()); }

    // What the box shows: its lines (a long line in several), each line's text
    // with the frame markers by their stand-in, and where a position is drawn.
    int lineCount() const { return m_blocks.count(); }
    QString shownLine(int line) const;
    // Every line, joined by `lineBreak`: O(n).
    QString shownText(QChar lineBreak) const;
    int firstVisibleLine() const;
    // The caret's rectangle at exact position `position`, in the viewport's coordinates.
    QRect caretRect(qsizetype position) const;
    // The exact position drawn nearest to viewport point `point`.
    qsizetype positionAt(QPoint point) const;
    // The widest line seen so far, in pixels: the extent of horizontal scrolling.
    qreal contentWidth() const { return m_widest; }
    // Lines with a layout kept: those in sight, and a few more.
    int laidOutLines() const { return int(m_layouts.size()); }

    // KeyPress: gets the character code of a typed key; setting it to 0 drops the key.
    std::function<void(int& keyAscii)> keyPressFilter;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  signals:
    // Every change of the text, before changed(): `removed` code units at
    // `position` were replaced by `inserted`.
    void replaced(qsizetype position, qsizetype removed, const QString& inserted);
    void changed();
    void gotFocus();
    void lostFocus();
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF position);
    // A paste, drop, key or click of the box's own was refused: the memory left cannot hold it.
    void outOfMemory();

  protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QMimeData* createMimeDataFromSelection() const;
    void insertFromMimeData(const QMimeData* source);
    // A drag of this box's own selection ends at exact position `at`: moved or copied there.
    void dropSelection(qsizetype at, bool move);
    // How an edit enters the undo history.
    enum Record {
        NoRecord,     // undo and redo themselves
        Step,         // a step of its own
        Typed,        // typing: joins the typing just before it
        WithPrevious, // undone and redone together with the step before it
    };
    // Dropped text goes in at exact position `at` and is left selected.
    void dropText(qsizetype at, const QString& text, Record record = Step);

  private:
    struct Edit {
        qsizetype position;
        QString removed;
        QString inserted;
        bool typed = false;
        bool withPrevious = false;
    };
    static qint64 bytesOf(const Edit& edit);

    // Replaces exact [position, position + length) and brings the lines in line with it.
    void replaceExact(qsizetype position, qsizetype length, const QString& text, Record recordUndo);
    void recordEdit(qsizetype position, const QString& removed, const QString& inserted,
                    Record record);
    void keepHistoryWithinBudget();
    std::pair<int, int> blocksAround(qsizetype position, qsizetype length) const;
    void showAllAgain();
    void showBlocksAgain(int first, int last, qsizetype grown);
    // Writes dropped or pasted text through `write` when the memory left holds it.
    void insertIfRoom(const QString& text, const std::function<void()>& write);
    void typeText(const QString& text);
    bool withinMemory(const std::function<bool()>& handle);

    // Positions: a position between CR and LF is drawn, and taken, before the break.
    qsizetype clampPosition(qsizetype position) const;
    std::pair<int, int> lineAndOffset(qsizetype position) const;
    qsizetype lineStart(int line) const { return m_blocks.start(line); }
    qsizetype lineEnd(int line) const { return m_blocks.start(line) + m_blocks.textLength(line); }
    qsizetype nextPosition(qsizetype position, bool word) const;
    qsizetype previousPosition(qsizetype position, bool word) const;
    // The caret `lines` lines up or down, keeping its column; `atCut` tells
    // whether it lands at the end of a piece of a cut line.
    qsizetype verticalMove(int lines, bool* atCut);
    // Moves the caret (and the anchor too unless `select`); `atCut`: a caret
    // at a cut is drawn at the end of the piece before it.
    void moveCaret(qsizetype position, bool select, bool keepColumn = false, bool atCut = false);
    // The line and offset where the caret is drawn: a cut of a long line is
    // both the end of one piece and the start of the next.
    std::pair<int, int> caretPlace() const;
    bool isCut(qsizetype position) const;
    qsizetype hitTest(QPoint point, bool* atCut) const;
    bool handleMove(QKeyEvent* event);
    static bool isRedo(const QKeyEvent* event);
    void selectTowards(QPoint point);
    bool handleDelete(QKeyEvent* event);

    // Layout of the lines in sight.
    QTextLayout* layoutOf(int line) const;
    void forgetLayouts(int first, int last, int grown);
    void seedWidth();
    void noteWidth(qreal width) const;
    void measureFont();
    int linesInSight() const;
    QPointF lineOrigin(int line) const;
    void updateScrollBars();
    void ensureCaretVisible();
    void updateLines(int first, int last);
    void restartBlink();
    void dropPreedit();

    PieceText m_text;
    BlockMap m_blocks; // the lines: what each covers of m_text and how it ends
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    qreal m_column = -1;       // the x that up and down keep to; -1: the caret's own
    bool m_caretAtCut = false; // drawn at the end of the piece before its cut
    bool m_readOnly = false;
    bool m_reportedFocus = false; // gotFocus() said last, lostFocus() not yet
    bool m_caretShown = false;
    QString m_preedit;
    int m_preeditCaret = 0;
    qsizetype m_dropCaret = -1; // where a drag over the box would drop, -1: none

    // Mouse: where a press fell, and whether it may start a drag of the selection.
    QPoint m_pressPoint;
    bool m_selecting = false;
    bool m_mayDrag = false;

    int m_lineHeight = 1;
    qreal m_ascent = 0;
    mutable qreal m_widest = 0;
    mutable std::map<int, std::unique_ptr<QTextLayout>> m_layouts;
    QBasicTimer m_blink;
    QBasicTimer m_autoScroll; // a mouse selection held beyond the edge

    std::deque<Edit> m_undo;
    std::deque<Edit> m_redo;
    qint64 m_undoBytes = 0; // what m_undo holds
};
