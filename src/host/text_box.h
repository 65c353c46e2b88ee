#pragma once

#include "host/block_map.h"
#include "host/piece_text.h"

#include <QPlainTextEdit>
#include <QString>
#include <deque>
#include <functional>

// A multi-line text box whose text is exactly what was written to it: CR LF is
// two code units, lone CR and lone LF stay single characters, and every other
// code unit round-trips unchanged. Positions and lengths are exact-text code units.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit TextBox(QWidget* parent = nullptr);

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

    bool fontItalic() const { return font().italic(); }
    void setFontItalic(bool italic);

    bool canUndo() const { return !m_undo.empty(); }
    void undoEdit();
    void redoEdit();
    // The undo history keeps the newest steps within a quarter of the memory
    // left, at most this much; the oldest go first.
    static constexpr qint64 kMaxHistoryBytes = qint64(1) << 30;
    // A text of more blocks than this is not laid out again for a new width.
    static constexpr int kRelayoutBlocks = 10'000;
    // Edits in the undo history (a move holds two).
    int undoEdits() const { return int(m_undo.size()); }

    // KeyPress: gets the character code of a typed key; setting it to 0 drops the key.
    std::function<void(int& keyAscii)> keyPressFilter;

  signals:
    // Every change of the text, before changed(): `removed` code units at
    // `position` were replaced by `inserted`.
    void replaced(qsizetype position, qsizetype removed, const QString& inserted);
    void changed();
    void gotFocus();
    void lostFocus();
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF position);
    // A paste or drop of the box's own was refused: the memory left cannot hold it.
    void outOfMemory();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
    void dropEvent(QDropEvent* event) override;
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

    void onContentsChange(int position, int charsRemoved, int charsAdded);
    // Replaces exact [position, position + length) and brings the view in line with it.
    void replaceExact(qsizetype position, qsizetype length, const QString& text, Record recordUndo);
    void recordEdit(qsizetype position, const QString& removed, const QString& inserted,
                    Record record);
    void keepHistoryWithinBudget();
    std::pair<int, int> blocksAround(qsizetype position, qsizetype length) const;
    void showAllAgain();
    void showBlocksAgain(int first, int last, qsizetype grown);
    void stepOverSplit(const QKeyEvent* event);
    int viewFromExact(qsizetype exact) const;
    qsizetype exactFromView(int view) const;
    void setViewSelection(qsizetype exactAnchor, qsizetype exactPosition);
    // Writes dropped or pasted text through `write` when the memory left holds it.
    void insertIfRoom(const QString& text, const std::function<void()>& write);

    PieceText m_text;
    BlockMap m_blocks; // what each block of the view stands for in m_text
    bool m_updatingView = false;
    bool m_hasFocus = false;
    std::deque<Edit> m_undo;
    std::deque<Edit> m_redo;
    qint64 m_undoBytes = 0; // what m_undo holds
};
