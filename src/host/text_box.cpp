#include "host/text_box.h"

#include "host/exact_text.h"

#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

using exact_text::pairAt;

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false); // undo works on the exact text, see undoEdit()
    connect(document(), &QTextDocument::contentsChange, this, &TextBox::onContentsChange);
}

void TextBox::setText(const QString& text) {
    m_undo.clear();
    m_redo.clear();
    setTextOutsideHistory(text);
}

void TextBox::setTextOutsideHistory(const QString& text) {
    const qsizetype oldSize = m_text.size();
    m_text = text;
    m_updatingView = true;
    setPlainText(exact_text::render(text));
    m_updatingView = false;
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
    replaceExact(selStart(), selLength(), text, true);
}

void TextBox::setFontItalic(bool italic) {
    QFont f = font();
    f.setItalic(italic);
    setFont(f);
}

void TextBox::undoEdit() {
    if (m_undo.empty())
        return;
    const Edit e = m_undo.back();
    m_undo.pop_back();
    replaceExact(e.position, e.inserted.size(), e.removed, false);
    m_redo.push_back(e);
}

void TextBox::redoEdit() {
    if (m_redo.empty())
        return;
    const Edit e = m_redo.back();
    m_redo.pop_back();
    replaceExact(e.position, e.removed.size(), e.inserted, false);
    m_undo.push_back(e);
}

void TextBox::recordEdit(qsizetype position, const QString& removed, const QString& inserted) {
    if (removed.isEmpty() && inserted.isEmpty())
        return; // writing nothing over nothing is not a step to undo
    m_redo.clear();
    // Consecutive typing is undone as one step.
    if (!m_undo.empty() && removed.isEmpty() && inserted.size() == 1) {
        Edit& last = m_undo.back();
        if (!last.inserted.isEmpty() && last.position + last.inserted.size() == position &&
            inserted != QLatin1String(" ")) {
            last.inserted += inserted;
            return;
        }
    }
    m_undo.push_back({position, removed, inserted});
}

void TextBox::replaceExact(qsizetype position, qsizetype length, const QString& text,
                           bool recordUndo) {
    const QString& old = m_text;
    // Re-render one character more on each side, never splitting a CR LF pair:
    // the edit may join a lone CR to a lone LF or split a pair.
    qsizetype from = position;
    if (from > 0) {
        --from;
        if (from > 0 && pairAt(old, from - 1))
            --from;
    }
    qsizetype oldTo = position + length;
    if (oldTo < old.size()) {
        ++oldTo;
        if (oldTo < old.size() && pairAt(old, oldTo - 1))
            ++oldTo;
    }
    const int viewFrom = viewFromExact(from);
    const int viewTo = viewFromExact(oldTo);
    const QString removed = old.mid(position, length);
    const bool mostOfTheText = 2 * (oldTo - from) >= old.size();

    m_text.replace(position, length, text);
    const qsizetype newTo = oldTo + (text.size() - length);

    m_updatingView = true;
    if (mostOfTheText) {
        // Most of the text changes (a transform of a whole selection): a fresh
        // view is much faster than removing and inserting that much through a cursor.
        setPlainText(exact_text::render(m_text));
    } else {
        QTextCursor c(document());
        c.setPosition(viewFrom);
        c.setPosition(viewTo, QTextCursor::KeepAnchor);
        c.insertText(exact_text::render(m_text.mid(from, newTo - from)));
    }
    m_updatingView = false;

    if (recordUndo)
        recordEdit(position, removed, text);
    const qsizetype caret = position + text.size();
    setViewSelection(caret, caret);
    emit replaced(position, length, text);
    emit changed();
}

void TextBox::onContentsChange(int position, int charsRemoved, int charsAdded) {
    if (m_updatingView)
        return;
    // The document may report more than was changed (the final block, formats):
    // compare with the old view and keep only what differs.
    const int docEnd = document()->characterCount() - 1;
    const int addedEnd = std::clamp(position + charsAdded, position, docEnd);
    const qsizetype exactStart = exactFromView(position);
    const qsizetype exactEnd = exact_text::advance(m_text, exactStart, charsRemoved);
    const QString oldView =
        exact_text::render(m_text.mid(exactStart, exactEnd - exactStart), exact_text::kBlockBreak);
    QTextCursor c(document());
    c.setPosition(std::min(position, docEnd));
    c.setPosition(addedEnd, QTextCursor::KeepAnchor);
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

    const qsizetype from = exact_text::advance(m_text, exactStart, prefix);
    const qsizetype to = exact_text::advance(m_text, from, oldView.size() - prefix - suffix);
    const QString inserted =
        exact_text::fromTyped(newView.mid(prefix, newView.size() - prefix - suffix));
    const QString removed = m_text.mid(from, to - from);
    m_text.replace(from, to - from, inserted);
    recordEdit(from, removed, inserted);

    // Typing cannot split a CR LF pair, but deleting what stood between a lone
    // CR and a lone LF joins them into one: show that pair as a line break.
    const qsizetype end = from + inserted.size();
    if (!inserted.isEmpty() && end > 0 && pairAt(m_text, end - 1))
        fixFormedPair(end - 1);
    if (from > 0 && pairAt(m_text, from - 1))
        fixFormedPair(from - 1);
    emit replaced(from, to - from, inserted);
    emit changed();
}

void TextBox::fixFormedPair(qsizetype crPosition) {
    const int view = viewFromExact(crPosition);
    m_updatingView = true;
    QTextCursor c(document());
    c.setPosition(view);
    c.setPosition(view + 2, QTextCursor::KeepAnchor);
    c.insertText(QStringLiteral("\n"));
    m_updatingView = false;
}

int TextBox::viewFromExact(qsizetype exact) const {
    exact = std::clamp<qsizetype>(exact, 0, m_text.size());
    const QTextDocument* doc = document();
    // Block b starts at exact position position(b) + b: every earlier block ends in CR LF.
    int lo = 0;
    int hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + mid <= exact)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(lo);
    const int blockEnd = block.position() + block.length() - 1;
    // An exact position between CR and LF shows before the line break.
    return int(std::min<qsizetype>(exact - lo, blockEnd));
}

qsizetype TextBox::exactFromView(int view) const {
    view = std::clamp(view, 0, document()->characterCount() - 1);
    return qsizetype(view) + document()->findBlock(view).blockNumber();
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
    if (enter && (event->modifiers() & Qt::ShiftModifier)) {
        // Shift+Enter would insert U+2028; a line break here is always CR LF.
        QKeyEvent plainEnter(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                             event->text());
        QPlainTextEdit::keyPressEvent(&plainEnter);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
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
    return source->hasText();
}

QMimeData* TextBox::createMimeDataFromSelection() const {
    auto* data = new QMimeData; // ownership passes to the caller (clipboard or drag)
    data->setText(exact_text::toClipboard(selText()));
    return data;
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !source->hasText())
        return;
    replaceExact(selStart(), selLength(), exact_text::normalizeLineBreaks(source->text()), true);
}

// Drops are done on the exact text: the document's own drop merges the removal
// and the insertion of a move into one change that cannot be told from typing.
void TextBox::dropEvent(QDropEvent* event) {
    if (isReadOnly() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    qsizetype at = exactFromView(cursorForPosition(event->position().toPoint()).position());
    QString text = exact_text::normalizeLineBreaks(event->mimeData()->text());
    if (event->source() == this || event->source() == viewport()) {
        const qsizetype start = selStart();
        const qsizetype length = selLength();
        if (at >= start && at <= start + length) {
            event->acceptProposedAction();
            return; // dropped onto itself
        }
        text = m_text.mid(start, length);
        if (event->dropAction() == Qt::MoveAction) {
            replaceExact(start, length, QString(), true);
            if (at > start)
                at -= length;
        }
    }
    replaceExact(at, 0, text, true);
    setViewSelection(at, at + text.size());
    event->acceptProposedAction();
}
