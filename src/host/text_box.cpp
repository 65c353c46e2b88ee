#include "host/text_box.h"

#include "host/box_clipboard.h"
#include "host/exact_text.h"
#include "host/memory.h"
#include "host/view_layout.h"

#include <QDropEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <new>
#include <vector>

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
    auto* doc = new QTextDocument(this);
    doc->setDocumentLayout(new ViewLayout(doc, viewport()));
    setDocument(doc);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Both scroll bars always shown: one that appears when a text is written
    // narrows the view, and the view then lays out every line again, with a
    // layout object kept for each (about 340 bytes a line).
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false); // undo works on the exact text, see undoEdit()
    m_blocks.assign({0}, {exact_text::Break::None});
    connect(document(), &QTextDocument::contentsChange, this, &TextBox::onContentsChange);
}

void TextBox::setText(const QString& text) {
    m_undo.clear();
    m_redo.clear();
    m_undoBytes = 0;
    setTextOutsideHistory(text);
}

void TextBox::setTextAsStep(const QString& text) {
    // A whole-text command costs O(n) anyway: compare against one string of the text.
    const QString old = m_text.toString();
    const qsizetype common = std::min(old.size(), text.size());
    qsizetype prefix = 0;
    while (prefix < common && old[prefix] == text[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < common - prefix &&
           old[old.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;
    replaceExact(prefix, old.size() - prefix - suffix,
                 text.mid(prefix, text.size() - prefix - suffix), Step);
    setViewSelection(0, 0);
}

void TextBox::setTextOutsideHistory(const QString& text) {
    const qsizetype oldSize = m_text.size();
    m_text = PieceText(text);
    showAllAgain();
    setViewSelection(0, 0);
    emit replaced(0, oldSize, text);
    emit changed();
}

int TextBox::selStart() const {
    return int(exactFromView(textCursor().selectionStart()));
}

bool TextBox::setSelStart(int position) {
    if (position < 0)
        return false;
    const qsizetype p = std::min<qsizetype>(position, m_text.size());
    setViewSelection(p, p);
    return true;
}

int TextBox::selLength() const {
    const QTextCursor c = textCursor();
    return int(exactFromView(c.selectionEnd()) - exactFromView(c.selectionStart()));
}

bool TextBox::setSelLength(int length) {
    if (length < 0)
        return false;
    const qsizetype start = selStart();
    setViewSelection(start, std::min<qsizetype>(start + length, m_text.size()));
    return true;
}

QString TextBox::selText() const {
    return m_text.mid(selStart(), selLength());
}

void TextBox::setSelText(const QString& text) {
    replaceExact(selStart(), selLength(), text, Step);
}

void TextBox::setFontItalic(bool italic) {
    QFont f = font();
    f.setItalic(italic);
    setFont(f);
}

qint64 TextBox::bytesOf(const Edit& edit) {
    return qint64(sizeof(Edit)) + 2 * (edit.removed.size() + edit.inserted.size());
}

void TextBox::undoEdit() {
    // A step made of several edits goes back as one, the last edit first.
    while (!m_undo.empty()) {
        Edit e = std::move(m_undo.back());
        m_undo.pop_back();
        m_undoBytes -= bytesOf(e);
        replaceExact(e.position, e.inserted.size(), e.removed, NoRecord);
        const bool more = e.withPrevious;
        m_redo.push_back(std::move(e));
        if (!more)
            break;
    }
}

void TextBox::redoEdit() {
    for (bool first = true; !m_redo.empty() && (first || m_redo.back().withPrevious);
         first = false) {
        Edit e = std::move(m_redo.back());
        m_redo.pop_back();
        replaceExact(e.position, e.removed.size(), e.inserted, NoRecord);
        m_undoBytes += bytesOf(e);
        m_undo.push_back(std::move(e));
    }
}

void TextBox::recordEdit(qsizetype position, const QString& removed, const QString& inserted,
                         Record record) {
    if (record == NoRecord || (removed.isEmpty() && inserted.isEmpty()))
        return; // writing nothing over nothing is not a step to undo
    m_redo.clear();
    // Consecutive typing is undone as one step.
    if (record == Typed && !m_undo.empty() && removed.isEmpty() && inserted.size() == 1) {
        Edit& last = m_undo.back();
        if (last.typed && !last.inserted.isEmpty() &&
            last.position + last.inserted.size() == position && inserted != QLatin1String(" ")) {
            last.inserted += inserted;
            m_undoBytes += 2;
            return;
        }
    }
    m_undo.push_back({position, removed, inserted, record == Typed, record == WithPrevious});
    m_undoBytes += bytesOf(m_undo.back());
    keepHistoryWithinBudget();
}

// Drops the oldest steps while the history holds more than its budget; the
// newest step always stays, so the last change can be undone.
void TextBox::keepHistoryWithinBudget() {
    const qint64 budget = std::min(memory::available() / 4, kMaxHistoryBytes);
    while (m_undoBytes > budget) {
        size_t oldest = 1; // the oldest step and the edits that belong to it
        while (oldest < m_undo.size() && m_undo[oldest].withPrevious)
            ++oldest;
        if (oldest == m_undo.size())
            return;
        for (; oldest > 0; --oldest) {
            m_undoBytes -= bytesOf(m_undo.front());
            m_undo.pop_front();
        }
    }
}

// Blocks whose exact text spans the units just before and just after
// [position, position + length): an edit there may pair a lone CR with a lone
// LF or split a pair, so those neighbours are shown again with it.
std::pair<int, int> TextBox::blocksAround(qsizetype position, qsizetype length) const {
    const int first = m_blocks.locate(std::max<qsizetype>(position - 1, 0)).first;
    const qsizetype after = position + length;
    const int last = after < m_text.size() ? m_blocks.locate(after).first : m_blocks.count() - 1;
    return {first, last};
}

void TextBox::replaceExact(qsizetype position, qsizetype length, const QString& text,
                           Record recordUndo) {
    const auto [first, last] = blocksAround(position, length);
    const QString removed = m_text.mid(position, length);
    m_text.replace(position, length, text);
    // An edit of most of the text (a transform of a whole selection): a fresh
    // view is much quicker than replacing that much through a cursor.
    if (2 * (length + text.size()) >= m_text.size() + length)
        showAllAgain();
    else
        showBlocksAgain(first, last, text.size() - length);
    recordEdit(position, removed, text, recordUndo);
    const qsizetype caret = position + text.size();
    setViewSelection(caret, caret);
    emit replaced(position, length, text);
    emit changed();
}

void TextBox::showAllAgain() {
    exact_text::Blocks blocks = exact_text::renderBlocks(m_text.toString());
    m_updatingView = true;
    setPlainText(blocks.view);
    m_updatingView = false;
    m_blocks.assign(std::move(blocks.lengths), std::move(blocks.breaks));
}

// Shows blocks first..last again from the exact text, whose part in them grew by
// `grown` units; the blocks around them are left as they are.
void TextBox::showBlocksAgain(int first, int last, qsizetype grown) {
    const qsizetype from = m_blocks.start(first);
    const qsizetype to = m_blocks.start(last) + m_blocks.length(last) + grown;
    const exact_text::Blocks blocks =
        exact_text::renderBlocks(m_text.mid(from, to - from), m_blocks.breakOf(last));
    QTextDocument* doc = document();
    const QTextBlock firstBlock = doc->findBlockByNumber(first);
    const QTextBlock lastBlock = doc->findBlockByNumber(last);
    m_updatingView = true;
    QTextCursor c(doc);
    c.setPosition(firstBlock.position());
    c.setPosition(lastBlock.position() + lastBlock.length() - 1, QTextCursor::KeepAnchor);
    c.insertText(blocks.view);
    m_updatingView = false;
    m_blocks.replace(first, last, blocks.lengths, blocks.breaks);
}

void TextBox::onContentsChange(int position, int charsRemoved, int charsAdded) {
    if (m_updatingView)
        return;
    QTextDocument* doc = document();
    // Everything before `position` is unchanged, so is the block holding it;
    // the old blocks from there on are still described by m_blocks.
    const QTextBlock startBlock = doc->findBlock(std::min(position, doc->characterCount() - 1));
    struct OldPlace {
        int block;
        int viewStart;
        qsizetype exactStart;
    };
    OldPlace walk{startBlock.blockNumber(), startBlock.position(),
                  m_blocks.start(startBlock.blockNumber())};
    // The exact position and old block of old view position v (v only grows).
    auto oldExact = [&](int v) {
        while (walk.block + 1 < m_blocks.count() &&
               v > walk.viewStart + m_blocks.textLength(walk.block)) {
            walk.viewStart += m_blocks.textLength(walk.block) + 1;
            walk.exactStart += m_blocks.length(walk.block);
            ++walk.block;
        }
        return walk.exactStart +
               std::min<qsizetype>(v - walk.viewStart, m_blocks.textLength(walk.block));
    };

    // The document may report more than was changed (formats, the final
    // block): compare the old and new view and keep only what differs.
    QString oldView;
    {
        OldPlace at = walk;
        const int end = position + charsRemoved;
        for (int v = position; v < end && at.block < m_blocks.count();) {
            const int textLength = m_blocks.textLength(at.block);
            const int inBlock = v - at.viewStart;
            if (inBlock < textLength) {
                const int take = std::min(textLength - inBlock, end - v);
                oldView += exact_text::renderBlocks(m_text.mid(at.exactStart + inBlock, take)).view;
                v += take;
            } else {
                if (at.block + 1 == m_blocks.count())
                    break; // the last block has no separator
                oldView += exact_text::kBlockBreak;
                ++v;
                at = {at.block + 1, at.viewStart + textLength + 1,
                      at.exactStart + m_blocks.length(at.block)};
            }
        }
    }
    const int docEnd = doc->characterCount() - 1;
    QTextCursor c(doc);
    c.setPosition(std::min(position, docEnd));
    c.setPosition(std::clamp(position + charsAdded, position, docEnd), QTextCursor::KeepAnchor);
    const QString newView = c.selectedText();

    qsizetype prefix = 0;
    while (prefix < oldView.size() && prefix < newView.size() && oldView[prefix] == newView[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < oldView.size() - prefix && suffix < newView.size() - prefix &&
           oldView[oldView.size() - 1 - suffix] == newView[newView.size() - 1 - suffix])
        ++suffix;
    if (prefix == oldView.size() && prefix == newView.size())
        return;

    const qsizetype from = oldExact(position + int(prefix));
    const int firstBlock = walk.block;
    const qsizetype to = oldExact(position + int(oldView.size() - suffix));
    const int lastOldBlock = walk.block;
    const int lastNewBlock = doc->findBlock(position + int(newView.size() - suffix)).blockNumber();
    const QString inserted =
        exact_text::fromTyped(newView.mid(prefix, newView.size() - prefix - suffix));
    const QString removed = m_text.mid(from, to - from);
    m_text.replace(from, to - from, inserted);
    recordEdit(from, removed, inserted, Typed);

    // Enter is written on the exact text, so a block break that comes from the
    // view is rare (an input method): take it for CR LF. The last new block
    // keeps the break of the old block it grew out of.
    std::vector<int> lengths;
    std::vector<exact_text::Break> breaks;
    QTextBlock block = doc->findBlockByNumber(firstBlock);
    for (int j = firstBlock; j <= lastNewBlock; ++j, block = block.next()) {
        const auto end =
            j < lastNewBlock ? exact_text::Break::CrLf : m_blocks.breakOf(lastOldBlock);
        breaks.push_back(end);
        lengths.push_back(block.length() - 1 + exact_text::breakUnits(end));
    }
    m_blocks.replace(firstBlock, lastOldBlock, lengths, breaks);

    // Deleting what stood between a lone CR and a lone LF joins them into one
    // line break, and typing may make a block too long: show those blocks again.
    int redoFirst = firstBlock;
    int redoLast = lastNewBlock;
    bool redo = false;
    for (int j = firstBlock; j <= lastNewBlock; ++j)
        redo = redo || m_blocks.textLength(j) > exact_text::kLongLine;
    for (const qsizetype x : {from, from + inserted.size()}) {
        if (x > 0 && exact_text::pairAt(m_text, x - 1)) {
            const int j = m_blocks.locate(x - 1).first;
            if (m_blocks.breakOf(j) == exact_text::Break::Cr) {
                redoFirst = std::min(redoFirst, j);
                redoLast = std::max(redoLast, std::min(j + 1, m_blocks.count() - 1));
                redo = true;
            }
        }
    }
    if (redo) {
        const QTextCursor caret = textCursor();
        const qsizetype anchor = exactFromView(caret.anchor());
        const qsizetype at = exactFromView(caret.position());
        showBlocksAgain(redoFirst, redoLast, 0);
        setViewSelection(anchor, at);
    }
    emit replaced(from, to - from, inserted);
    emit changed();
}

int TextBox::viewFromExact(qsizetype exact) const {
    exact = std::clamp<qsizetype>(exact, 0, m_text.size());
    const auto [number, offset] = m_blocks.locate(exact);
    const QTextBlock block = document()->findBlockByNumber(number);
    // An exact position between CR and LF shows before the line break.
    return block.position() + int(std::min<qsizetype>(offset, block.length() - 1));
}

qsizetype TextBox::exactFromView(int view) const {
    view = std::clamp(view, 0, document()->characterCount() - 1);
    const QTextBlock block = document()->findBlock(view);
    const int number = block.blockNumber();
    return m_blocks.start(number) + std::min(view - block.position(), m_blocks.textLength(number));
}

void TextBox::setViewSelection(qsizetype exactAnchor, qsizetype exactPosition) {
    QTextCursor c = textCursor();
    c.setPosition(viewFromExact(exactAnchor));
    c.setPosition(viewFromExact(exactPosition), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo)) {
        if (!isReadOnly())
            undoEdit();
        return;
    }
    if (event->matches(QKeySequence::Redo)) {
        if (!isReadOnly())
            redoEdit();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    int code = -1;
    if (event->key() == Qt::Key_Backspace)
        code = 8;
    else if (enter)
        code = 13;
    else if (!event->text().isEmpty())
        code = event->text().front().unicode();
    const int typed = code;
    if (code >= 0 && keyPressFilter) {
        keyPressFilter(code);
        if (code == 0) {
            event->accept();
            return;
        }
    }
    if (code != typed && code > 0 && code != 8 && code != 13) {
        QKeyEvent changedKey(event->type(), Qt::Key_unknown, Qt::NoModifier,
                             QString(QChar(char16_t(code))));
        QPlainTextEdit::keyPressEvent(&changedKey);
        return;
    }
    if (enter && !isReadOnly()) {
        // A line break typed here is always CR LF (Shift+Enter too); written on
        // the exact text, so that the view never has to guess what a new block
        // break stands for.
        replaceExact(selStart(), selLength(), QStringLiteral("\r\n"), Typed);
        ensureCursorVisible();
        event->accept();
        return;
    }
    stepOverSplit(event);
    QPlainTextEdit::keyPressEvent(event);
}

// Where a long line is cut for display, the end of one block and the start of
// the next are the same place of the text: keys that delete or move one
// character first cross the cut, so that they act on a character.
void TextBox::stepOverSplit(const QKeyEvent* event) {
    const int key = event->key();
    if (key != Qt::Key_Backspace && key != Qt::Key_Delete && key != Qt::Key_Left &&
        key != Qt::Key_Right)
        return;
    QTextCursor c = textCursor();
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && c.hasSelection())
        return;
    const bool back = key == Qt::Key_Backspace || key == Qt::Key_Left;
    const bool keep =
        (key == Qt::Key_Left || key == Qt::Key_Right) && (event->modifiers() & Qt::ShiftModifier);
    // A cut can be followed by an emptied piece and another cut: step over all.
    bool moved = false;
    for (;; moved = true) {
        const int number = c.blockNumber();
        const bool cut =
            back ? c.atBlockStart() && number > 0 &&
                       m_blocks.breakOf(number - 1) == exact_text::Break::Split
                 : c.atBlockEnd() && m_blocks.breakOf(number) == exact_text::Break::Split;
        if (!cut)
            break;
        c.setPosition(c.position() + (back ? -1 : 1),
                      keep ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    }
    if (moved)
        setTextCursor(c);
}

void TextBox::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyUp(event->key(), event->modifiers());
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (keyPressFilter && !event->commitString().isEmpty()) {
        QString kept;
        for (const QChar ch : event->commitString()) {
            int code = ch.unicode();
            keyPressFilter(code);
            if (code != 0)
                kept += QChar(char16_t(code));
        }
        if (kept != event->commitString()) {
            QInputMethodEvent filtered(event->preeditString(), event->attributes());
            filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
            QPlainTextEdit::inputMethodEvent(&filtered);
            return;
        }
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    emit mouseUp(event->button(), event->modifiers(), event->position());
}

void TextBox::mouseMoveEvent(QMouseEvent* event) {
    const bool pressed = event->buttons() & Qt::LeftButton;
    QPlainTextEdit::mouseMoveEvent(event);
    // A drag started here runs its own event loop, which takes the release:
    // report it, as a drop into the box does.
    if (pressed && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        emit mouseUp(Qt::LeftButton, event->modifiers(), event->position());
}

// A new width makes the plain-text layout lay out every line again, with a
// layout object kept for each (about 340 bytes a line: 340 MB in a 50 MB
// text). Lines are not wrapped, so none depends on the width: a long text
// keeps its layout, at the cost of a view width that may stay wider than
// needed after the window narrows.
void TextBox::resizeEvent(QResizeEvent* event) {
    if (event->oldSize().width() == event->size().width() ||
        document()->blockCount() <= kRelayoutBlocks) {
        QPlainTextEdit::resizeEvent(event);
        return;
    }
    QResizeEvent sameWidth(event->size(), QSize(event->size().width(), event->oldSize().height()));
    QPlainTextEdit::resizeEvent(&sameWidth);
}

void TextBox::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    if (!m_hasFocus) {
        m_hasFocus = true;
        emit gotFocus();
    }
}

void TextBox::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    // Opening a menu or switching to another program does not move the focus
    // away from the box as far as the window is concerned.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (m_hasFocus) {
        m_hasFocus = false;
        emit lostFocus();
    }
}

bool TextBox::canInsertFromMimeData(const QMimeData* source) const {
    return box_clipboard::hasText(source);
}

QMimeData* TextBox::createMimeDataFromSelection() const {
    return box_clipboard::mimeData(selText()); // the caller (clipboard or drag) owns it
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !box_clipboard::hasText(source))
        return;
    const QString text = box_clipboard::text(source);
    insertIfRoom(text, [&] { replaceExact(selStart(), selLength(), text, Step); });
}

// A paste or drop of the box's own comes from a key or the mouse, not from a
// command of the window: a failed allocation must not leave the event.
void TextBox::insertIfRoom(const QString& text, const std::function<void()>& write) {
    try {
        if (memory::roomForText(text.size())) {
            write();
            return;
        }
    } catch (const std::bad_alloc&) {
    }
    emit outOfMemory();
}

// Drops are done on the exact text: the document's own drop merges the removal
// and the insertion of a move into one change that cannot be told from typing.
void TextBox::dropEvent(QDropEvent* event) {
    if (isReadOnly() || !box_clipboard::hasText(event->mimeData())) {
        event->ignore();
        return;
    }
    const qsizetype at = exactFromView(cursorForPosition(event->position().toPoint()).position());
    if (event->source() == this || event->source() == viewport()) {
        dropSelection(at, event->dropAction() == Qt::MoveAction);
    } else {
        const QString text = box_clipboard::text(event->mimeData());
        insertIfRoom(text, [&] { dropText(at, text); });
    }
    event->acceptProposedAction();
    // The drop ends with the mouse button released over the box.
    emit mouseUp(Qt::LeftButton, event->modifiers(), event->position());
}

void TextBox::dropSelection(qsizetype at, bool move) {
    const qsizetype start = selStart();
    const qsizetype length = selLength();
    if (at >= start && at <= start + length)
        return; // dropped onto itself
    const QString text = m_text.mid(start, length);
    if (move) {
        replaceExact(start, length, QString(), Step);
        if (at > start)
            at -= length; // the place moved with the text before it
    }
    // A move is one step: undo puts the text back where it was taken from.
    dropText(at, text, move ? WithPrevious : Step);
}

void TextBox::dropText(qsizetype at, const QString& text, Record record) {
    replaceExact(at, 0, text, record);
    setViewSelection(at, at + text.size());
}
