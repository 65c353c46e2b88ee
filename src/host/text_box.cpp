#include "host/text_box.h"

#include "host/box_clipboard.h"
#include "host/exact_text.h"
#include "host/memory.h"
#include "host/text_box_accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

constexpr int kMargin = 4;
// Lines are not wrapped: laid out as if the view had no right edge.
constexpr qreal kNoWrapWidth = 1e7;

bool isLowAfterHigh(const PieceText& text, qsizetype i) {
    return i > 0 && i < text.size() && text.at(i).isLowSurrogate() &&
           text.at(i - 1).isHighSurrogate();
}

} // namespace

TextBox::TextBox(QWidget* parent) : QAbstractScrollArea(parent) {
    static const bool accessible =
        (QAccessible::installFactory(&text_box_accessible::factory), true);
    Q_UNUSED(accessible);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
    measureFont();
    m_blocks.assign({0}, {exact_text::Break::None});
    updateScrollBars();
}

TextBox::~TextBox() = default;

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
    setSelection(0, 0);
}

void TextBox::setTextOutsideHistory(const QString& text) {
    const qsizetype oldSize = m_text.size();
    m_preedit.clear();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent update(this, 0, m_text.toString(), text);
        QAccessible::updateAccessibility(&update);
    }
    m_text = PieceText(text);
    showAllAgain();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    setSelection(0, 0);
    emit replaced(0, oldSize, text);
    emit changed();
}

int TextBox::selStart() const {
    return int(std::min(m_anchor, m_caret));
}

bool TextBox::setSelStart(int position) {
    if (position < 0)
        return false;
    const qsizetype p = std::min<qsizetype>(position, m_text.size());
    setSelection(p, p);
    return true;
}

int TextBox::selLength() const {
    return int(std::abs(m_caret - m_anchor));
}

bool TextBox::setSelLength(int length) {
    if (length < 0)
        return false;
    const qsizetype start = selStart();
    setSelection(start, std::min<qsizetype>(start + length, m_text.size()));
    return true;
}

QString TextBox::selText() const {
    return m_text.mid(selStart(), selLength());
}

void TextBox::setSelText(const QString& text) {
    replaceExact(selStart(), selLength(), text, Step);
}

void TextBox::setSelection(qsizetype anchor, qsizetype caret) {
    // A composition is drawn at the caret only: a caret moved away ends it here.
    if (clampPosition(caret) != m_caret)
        dropPreedit();
    const bool hadSelection = m_anchor != m_caret;
    const int oldLine = caretPlace().first;
    m_anchor = clampPosition(anchor);
    m_caret = clampPosition(caret);
    m_column = -1;
    m_caretAtCut = false;
    ensureCaretVisible();
    if (hadSelection || m_anchor != m_caret) {
        viewport()->update();
    } else {
        updateLines(oldLine, oldLine);
        const int line = caretPlace().first;
        updateLines(line, line);
    }
    restartBlink();
    updateMicroFocus();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, int(m_caret));
        QAccessible::updateAccessibility(&moved);
        QAccessibleTextSelectionEvent selected(this, selStart(), selStart() + selLength());
        QAccessible::updateAccessibility(&selected);
    }
}

// The composition is drawn in the layout of the caret's line: dropping it
// lays that line out again.
void TextBox::dropPreedit() {
    if (m_preedit.isEmpty())
        return;
    const int line = lineAndOffset(m_caret).first;
    m_preedit.clear();
    forgetLayouts(line, line, 0);
    updateLines(line, line);
}

void TextBox::selectAll() {
    setSelection(0, m_text.size());
}

void TextBox::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
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

void TextBox::copy() const {
    if (m_caret != m_anchor)
        QGuiApplication::clipboard()->setMimeData(createMimeDataFromSelection());
}

void TextBox::cut() {
    if (m_readOnly || m_caret == m_anchor)
        return;
    copy();
    replaceExact(selStart(), selLength(), QString(), Step);
}

void TextBox::paste() {
    insertFromMimeData(QGuiApplication::clipboard()->mimeData());
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
    dropPreedit();
    const QString removed = m_text.mid(position, length);
    m_text.replace(position, length, text);
    // An edit of most of the text (a transform of a whole selection): cutting
    // the whole text into lines again is quicker than mending the line list.
    if (2 * (length + text.size()) >= m_text.size() + length)
        showAllAgain();
    else
        showBlocksAgain(first, last, text.size() - length);
    recordEdit(position, removed, text, recordUndo);
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent update(this, int(position), removed, text);
        QAccessible::updateAccessibility(&update);
    }
    const qsizetype caret = position + text.size();
    setSelection(caret, caret);
    emit replaced(position, length, text);
    emit changed();
}

void TextBox::showAllAgain() {
    exact_text::Blocks blocks = exact_text::splitBlocks(m_text.toString());
    m_blocks.assign(std::move(blocks.lengths), std::move(blocks.breaks));
    m_layouts.clear();
    m_widest = 0;
    seedWidth();
    updateScrollBars();
    viewport()->update();
}

// Lines first..last are cut again from the exact text, whose part in them grew
// by `grown` units; the lines around them are left as they are.
void TextBox::showBlocksAgain(int first, int last, qsizetype grown) {
    const qsizetype from = m_blocks.start(first);
    const qsizetype to = m_blocks.start(last) + m_blocks.length(last) + grown;
    const exact_text::Blocks blocks =
        exact_text::splitBlocks(m_text.mid(from, to - from), m_blocks.breakOf(last));
    const int before = m_blocks.count();
    m_blocks.replace(first, last, blocks.lengths, blocks.breaks);
    const int added = m_blocks.count() - before;
    forgetLayouts(first, last, added);
    if (added != 0) {
        updateScrollBars();
        updateLines(first, m_blocks.count() - 1);
    } else {
        updateLines(first, last);
    }
}

// The cached layouts of lines first..last go; those after them move with the
// lines added or removed.
void TextBox::forgetLayouts(int first, int last, int grown) {
    std::vector<std::pair<int, std::unique_ptr<QTextLayout>>> moved;
    for (auto it = m_layouts.lower_bound(first); it != m_layouts.end();) {
        if (it->first > last)
            moved.emplace_back(it->first + grown, std::move(it->second));
        it = m_layouts.erase(it);
    }
    for (auto& [line, layout] : moved)
        m_layouts.emplace(line, std::move(layout));
}

qsizetype TextBox::clampPosition(qsizetype position) const {
    position = std::clamp<qsizetype>(position, 0, m_text.size());
    const auto [line, offset] = lineAndOffset(position);
    return lineStart(line) + offset;
}

// The line that shows exact position `position`, and its place in the line's
// text; a position between CR and LF is at the end of the text.
std::pair<int, int> TextBox::lineAndOffset(qsizetype position) const {
    const auto [line, offset] = m_blocks.locate(std::clamp<qsizetype>(position, 0, m_text.size()));
    return {line, int(std::min<qsizetype>(offset, m_blocks.textLength(line)))};
}

QString TextBox::shownLine(int line) const {
    return exact_text::shown(m_text.mid(lineStart(line), m_blocks.textLength(line)));
}

QString TextBox::shownText(QChar lineBreak) const {
    QString all;
    for (int j = 0; j < m_blocks.count(); ++j) {
        if (j > 0)
            all += lineBreak;
        all += shownLine(j);
    }
    return all;
}

QTextLayout* TextBox::layoutOf(int line) const {
    const auto found = m_layouts.find(line);
    if (found != m_layouts.end())
        return found->second.get();
    // Only the lines near those in sight keep a layout.
    const int keep = 2 * linesInSight() + 64;
    if (int(m_layouts.size()) > 2 * keep) {
        const int first = firstVisibleLine();
        std::erase_if(m_layouts, [&](const auto& entry) {
            return entry.first < first - keep || entry.first > first + keep;
        });
    }
    QString text = shownLine(line);
    const auto [caretLine, caretOffset] = lineAndOffset(m_caret);
    auto layout = std::make_unique<QTextLayout>(text, font(), viewport());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    if (!m_preedit.isEmpty() && line == caretLine)
        layout->setPreeditArea(caretOffset, m_preedit);
    layout->beginLayout();
    QTextLine textLine = layout->createLine();
    if (textLine.isValid()) {
        textLine.setLeadingIncluded(true);
        textLine.setLineWidth(kNoWrapWidth);
        // Every line on the same baseline, whichever fonts its characters come from.
        textLine.setPosition(QPointF(0, m_ascent - textLine.ascent()));
    }
    layout->endLayout();
    if (textLine.isValid())
        noteWidth(textLine.naturalTextWidth());
    return m_layouts.emplace(line, std::move(layout)).first->second.get();
}

// The view is as wide as the widest line seen so far: measuring every line for
// it would cost the whole text, and a line narrowed keeps the width.
void TextBox::noteWidth(qreal width) const {
    if (width <= m_widest)
        return;
    m_widest = width;
    QScrollBar* bar = horizontalScrollBar();
    bar->setMaximum(std::max(0, int(std::ceil(m_widest)) + 2 * kMargin + 1 - viewport()->width()));
}

// The line with the most units is likely the widest: measured at once, so that
// the view can be scrolled to it before it is seen.
void TextBox::seedWidth() {
    layoutOf(m_blocks.longest());
}

// Lines are all as high as one that holds both Latin letters and hanzi, which
// often come from another font with a taller ascent.
void TextBox::measureFont() {
    QTextLayout sample(QStringLiteral("中Ag"), font(), viewport());
    sample.beginLayout();
    QTextLine line = sample.createLine();
    line.setLeadingIncluded(true);
    sample.endLayout();
    m_ascent = line.ascent();
    m_lineHeight = std::max(1, int(std::ceil(line.height())));
}

int TextBox::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

int TextBox::linesInSight() const {
    return std::max(1, (viewport()->height() - kMargin) / m_lineHeight);
}

QPointF TextBox::lineOrigin(int line) const {
    return QPointF(kMargin - horizontalScrollBar()->value(),
                   kMargin + qreal(line - firstVisibleLine()) * m_lineHeight);
}

void TextBox::updateScrollBars() {
    QScrollBar* v = verticalScrollBar();
    const int sight = linesInSight();
    v->setPageStep(sight);
    v->setMaximum(std::max(0, m_blocks.count() - sight));
    QScrollBar* h = horizontalScrollBar();
    h->setPageStep(std::max(1, viewport()->width()));
    h->setMaximum(std::max(0, int(std::ceil(m_widest)) + 2 * kMargin + 1 - viewport()->width()));
}

void TextBox::updateLines(int first, int last) {
    // Only lines in sight are drawn; this also keeps the offsets below in range.
    first = std::max(first, firstVisibleLine() - 1);
    last = std::min(last, firstVisibleLine() + linesInSight() + 1);
    if (first > last)
        return;
    const int top = int(lineOrigin(first).y());
    const int bottom = int(lineOrigin(last + 1).y());
    const QRect lines(0, top, viewport()->width(), bottom - top);
    viewport()->update(lines.intersected(viewport()->rect()));
}

bool TextBox::isCut(qsizetype position) const {
    const auto [line, offset] = lineAndOffset(position);
    return offset == 0 && line > 0 && m_blocks.breakOf(line - 1) == exact_text::Break::Split;
}

std::pair<int, int> TextBox::caretPlace() const {
    const auto [line, offset] = lineAndOffset(m_caret);
    if (m_caretAtCut && isCut(m_caret))
        return {line - 1, m_blocks.textLength(line - 1)};
    return {line, offset};
}

QRect TextBox::caretRect(qsizetype position) const {
    const auto [line, offset] = position == m_caret ? caretPlace() : lineAndOffset(position);
    QTextLayout* layout = layoutOf(line);
    int at = offset;
    if (!m_preedit.isEmpty() && line == lineAndOffset(m_caret).first &&
        offset == m_caret - lineStart(line))
        at += m_preeditCaret;
    const QPointF origin = lineOrigin(line);
    const qreal x = layout->lineCount() > 0 ? layout->lineAt(0).cursorToX(at) : 0;
    return QRect(int(origin.x() + x), int(origin.y()), 1, m_lineHeight);
}

qsizetype TextBox::positionAt(QPoint point) const {
    return hitTest(point, nullptr);
}

qsizetype TextBox::hitTest(QPoint point, bool* atCut) const {
    if (atCut)
        *atCut = false;
    const int row = int(std::floor(qreal(point.y() - kMargin) / m_lineHeight));
    const int line = std::clamp(firstVisibleLine() + row, 0, m_blocks.count() - 1);
    QTextLayout* layout = layoutOf(line);
    if (layout->lineCount() == 0)
        return lineStart(line);
    int offset = layout->lineAt(0).xToCursor(point.x() - lineOrigin(line).x());
    if (!m_preedit.isEmpty() && line == lineAndOffset(m_caret).first) {
        const int caretOffset = int(m_caret - lineStart(line));
        if (offset > caretOffset)
            offset = std::max(caretOffset, offset - int(m_preedit.size()));
    }
    offset = std::clamp(offset, 0, m_blocks.textLength(line));
    if (atCut)
        *atCut = offset == m_blocks.textLength(line);
    return lineStart(line) + offset;
}

void TextBox::ensureCaretVisible() {
    const int line = caretPlace().first;
    QScrollBar* v = verticalScrollBar();
    const int sight = linesInSight();
    if (line < v->value())
        v->setValue(line);
    else if (line >= v->value() + sight)
        v->setValue(line - sight + 1);
    const QRect caret = caretRect(m_caret);
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width();
    if (caret.left() < kMargin)
        h->setValue(h->value() + caret.left() - kMargin - width / 4);
    else if (caret.right() > width - kMargin)
        h->setValue(h->value() + caret.right() - width + kMargin + width / 4);
}

void TextBox::restartBlink() {
    if (!hasFocus())
        return;
    m_caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
    viewport()->update(caretRect(m_caret).adjusted(-2, 0, 2, 0));
}

void TextBox::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_autoScroll.timerId()) {
        // The release may have gone elsewhere (a menu opened meanwhile).
        if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            m_autoScroll.stop();
            m_selecting = false;
            return;
        }
        selectTowards(viewport()->mapFromGlobal(QCursor::pos()));
        return;
    }
    if (event->timerId() != m_blink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    m_caretShown = !m_caretShown;
    viewport()->update(caretRect(m_caret).adjusted(-2, 0, 2, 0));
}

void TextBox::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.setPen(palette().color(QPalette::Text));
    const qsizetype selFrom = std::min(m_anchor, m_caret);
    const qsizetype selTo = std::max(m_anchor, m_caret);
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    const auto [caretLine, caretOffset] = caretPlace();
    const int first = firstVisibleLine();
    const int last =
        std::min(m_blocks.count() - 1, first + (viewport()->height() - kMargin) / m_lineHeight + 1);
    const qreal space = QFontMetricsF(font()).horizontalAdvance(u' ');
    for (int line = first; line <= last; ++line) {
        const QPointF origin = lineOrigin(line);
        if (origin.y() > dirty.bottom() || origin.y() + m_lineHeight < dirty.top())
            continue;
        QTextLayout* layout = layoutOf(line);
        const qsizetype start = lineStart(line);
        const qsizetype end = lineEnd(line);
        QList<QTextLayout::FormatRange> ranges;
        if (selFrom < selTo && selFrom <= end && selTo > start) {
            const int from = int(std::max(selFrom, start) - start);
            const int to = int(std::min(selTo, end) - start);
            if (to > from)
                ranges.append({from, to - from, selected});
        }
        layout->draw(&painter, origin, ranges);
        // A selected line break shows as a selected space after the line.
        if (selFrom <= end && selTo > end && m_blocks.breakOf(line) != exact_text::Break::Split &&
            m_blocks.breakOf(line) != exact_text::Break::None && layout->lineCount() > 0) {
            const qreal x = origin.x() + layout->lineAt(0).naturalTextWidth();
            painter.fillRect(QRectF(x, origin.y(), space, m_lineHeight),
                             palette().brush(QPalette::Highlight));
        }
        if (line == caretLine && m_caretShown && hasFocus()) {
            int at = caretOffset;
            if (!m_preedit.isEmpty())
                at += m_preeditCaret;
            layout->drawCursor(&painter, origin, at, 1);
        }
        if (m_dropCaret >= 0 && lineAndOffset(m_dropCaret).first == line)
            layout->drawCursor(&painter, origin, int(m_dropCaret - start), 2);
    }
}

void TextBox::scrollContentsBy(int, int) {
    viewport()->update();
    updateMicroFocus();
}

void TextBox::resizeEvent(QResizeEvent* event) {
    // The viewport has its new size already: whether the caret was in sight
    // is judged by the old one.
    const int oldHeight = viewport()->height() - event->size().height() + event->oldSize().height();
    const int oldSight = std::max(1, (oldHeight - kMargin) / m_lineHeight);
    const int line = caretPlace().first;
    const bool caretInSight = event->oldSize().isValid() && line >= firstVisibleLine() &&
                              line < firstVisibleLine() + oldSight;
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    if (caretInSight) // a caret that was in sight stays so when the window shrinks
        ensureCaretVisible();
    updateMicroFocus();
}

void TextBox::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measureFont();
        m_layouts.clear();
        m_widest = 0;
        seedWidth();
        updateScrollBars();
        viewport()->update();
    }
}

// Positions one character or word on; a line break is one step, and so is CR LF.
qsizetype TextBox::nextPosition(qsizetype position, bool word) const {
    const auto [line, offset] = lineAndOffset(position);
    if (offset >= m_blocks.textLength(line))
        return line + 1 < m_blocks.count() ? lineStart(line + 1) : lineEnd(line);
    const QTextLayout* layout = layoutOf(line);
    const int next = layout->nextCursorPosition(offset, word ? QTextLayout::SkipWords
                                                             : QTextLayout::SkipCharacters);
    return lineStart(line) + std::max(next, offset + 1);
}

qsizetype TextBox::previousPosition(qsizetype position, bool word) const {
    auto [line, offset] = lineAndOffset(position);
    // At the start of a piece of a long line, step back into the piece before
    // (over pieces emptied by deletion).
    while (offset == 0 && line > 0 && m_blocks.breakOf(line - 1) == exact_text::Break::Split) {
        --line;
        offset = m_blocks.textLength(line);
    }
    if (offset == 0)
        return line > 0 ? lineEnd(line - 1) : 0;
    const QTextLayout* layout = layoutOf(line);
    const int previous = layout->previousCursorPosition(offset, word ? QTextLayout::SkipWords
                                                                     : QTextLayout::SkipCharacters);
    return lineStart(line) + std::min(previous, offset - 1);
}

qsizetype TextBox::verticalMove(int lines, bool* atCut) {
    const qsizetype position = m_caret;
    const auto [line, offset] = caretPlace();
    *atCut = false;
    if (m_column < 0) {
        const QTextLayout* layout = layoutOf(line);
        m_column = layout->lineCount() > 0 ? layout->lineAt(0).cursorToX(offset) : 0;
    }
    const int target = std::clamp(line + lines, 0, m_blocks.count() - 1);
    if (target == line)
        return lines < 0 ? (line == 0 ? 0 : position)
                         : (target == m_blocks.count() - 1 ? lineEnd(line) : position);
    const QTextLayout* layout = layoutOf(target);
    const int at = std::clamp(layout->lineCount() > 0 ? layout->lineAt(0).xToCursor(m_column) : 0,
                              0, m_blocks.textLength(target));
    *atCut = at == m_blocks.textLength(target);
    return lineStart(target) + at;
}

void TextBox::moveCaret(qsizetype position, bool select, bool keepColumn, bool atCut) {
    const qreal column = m_column;
    setSelection(select ? m_anchor : position, position);
    if (keepColumn)
        m_column = column;
    if (atCut && isCut(m_caret)) {
        m_caretAtCut = true;
        ensureCaretVisible();
    }
}

bool TextBox::handleMove(QKeyEvent* event) {
    struct Move {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        int what;
    };
    enum {
        Next,
        Previous,
        NextWord,
        PreviousWord,
        Down,
        Up,
        Home,
        End,
        Top,
        Bottom,
        PageDown,
        PageUp
    };
    static constexpr Move moves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Next},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Previous},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, NextWord},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, PreviousWord},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Down},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Up},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Home},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, End},
        {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock, Home},
        {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock, End},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Top},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Bottom},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, PageDown},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, PageUp},
    };
    for (const Move& m : moves) {
        const bool select = event->matches(m.select);
        if (!select && !event->matches(m.move))
            continue;
        const int line = caretPlace().first;
        qsizetype to = m_caret;
        bool keepColumn = false;
        bool atCut = false;
        switch (m.what) {
        case Next:
        case Previous:
            // Without Shift, an arrow key ends a selection at its own side.
            if (!select && m_anchor != m_caret)
                to = m.what == Next ? std::max(m_anchor, m_caret) : std::min(m_anchor, m_caret);
            else
                to = m.what == Next ? nextPosition(m_caret, false)
                                    : previousPosition(m_caret, false);
            break;
        case NextWord:
            to = nextPosition(m_caret, true);
            break;
        case PreviousWord:
            to = previousPosition(m_caret, true);
            break;
        case Down:
        case Up:
        case PageDown:
        case PageUp: {
            const int sight = linesInSight();
            const int lines = m.what == Down       ? 1
                              : m.what == Up       ? -1
                              : m.what == PageDown ? sight
                                                   : -sight;
            to = verticalMove(lines, &atCut);
            keepColumn = true;
            if (m.what == PageDown || m.what == PageUp)
                verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
            break;
        }
        case Home:
            to = lineStart(line);
            break;
        case End:
            to = lineEnd(line);
            atCut = true;
            break;
        case Top:
            to = 0;
            break;
        case Bottom:
            to = m_text.size();
            break;
        }
        moveCaret(to, select, keepColumn, atCut);
        return true;
    }
    return false;
}

bool TextBox::handleDelete(QKeyEvent* event) {
    const bool back =
        event->key() == Qt::Key_Backspace && !(event->modifiers() & Qt::ControlModifier);
    const bool forward = event->matches(QKeySequence::Delete);
    const bool backWord = event->matches(QKeySequence::DeleteStartOfWord);
    const bool forwardWord = event->matches(QKeySequence::DeleteEndOfWord);
    if (!back && !forward && !backWord && !forwardWord)
        return false;
    if (m_readOnly)
        return true;
    qsizetype from = selStart();
    qsizetype to = from + selLength();
    if (from == to) {
        if (back && from > 0) {
            // One code point or one line break back: Backspace takes combining
            // marks one at a time, and CR LF as one break.
            from = m_caret - 1;
            if ((m_text.at(from) == u'\n' && from > 0 && m_text.at(from - 1) == u'\r') ||
                isLowAfterHigh(m_text, from))
                --from;
        } else if (forward && to < m_text.size()) {
            to = exact_text::pairAt(m_text, to) ? to + 2 : nextPosition(to, false);
        } else if (backWord) {
            from = previousPosition(m_caret, true);
        } else if (forwardWord) {
            to = nextPosition(m_caret, true);
        }
    }
    if (from != to)
        replaceExact(from, to - from, QString(), Typed);
    return true;
}

// Ctrl+Y as well as the platform's redo key: what users of other systems reach for.
bool TextBox::isRedo(const QKeyEvent* event) {
    return event->matches(QKeySequence::Redo) ||
           (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier);
}

// Keys the box takes before the window's shortcuts: typing, editing and moving.
bool TextBox::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && !m_readOnly) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        static constexpr QKeySequence::StandardKey kOwn[] = {
            QKeySequence::Copy,
            QKeySequence::Paste,
            QKeySequence::Cut,
            QKeySequence::Redo,
            QKeySequence::Undo,
            QKeySequence::MoveToNextWord,
            QKeySequence::MoveToPreviousWord,
            QKeySequence::MoveToStartOfDocument,
            QKeySequence::MoveToEndOfDocument,
            QKeySequence::SelectNextWord,
            QKeySequence::SelectPreviousWord,
            QKeySequence::SelectStartOfLine,
            QKeySequence::SelectEndOfLine,
            QKeySequence::SelectStartOfBlock,
            QKeySequence::SelectEndOfBlock,
            QKeySequence::SelectStartOfDocument,
            QKeySequence::SelectEndOfDocument,
            QKeySequence::SelectAll,
            QKeySequence::DeleteStartOfWord,
            QKeySequence::DeleteEndOfWord,
        };
        bool own = false;
        if (isRedo(key)) {
            own = true;
        } else if (mods == Qt::NoModifier || mods == Qt::ShiftModifier ||
                   mods == Qt::KeypadModifier) {
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Delete:
            case Qt::Key_Home:
            case Qt::Key_End:
            case Qt::Key_Backspace:
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                own = true;
                break;
            default:
                own = key->key() < Qt::Key_Escape;
            }
        } else {
            own = std::any_of(std::begin(kOwn), std::end(kOwn),
                              [&](QKeySequence::StandardKey k) { return key->matches(k); });
        }
        if (own) {
            key->accept();
            return true;
        }
    }
    return withinMemory([&] { return QAbstractScrollArea::event(event); });
}

bool TextBox::viewportEvent(QEvent* event) {
    return withinMemory([&] { return QAbstractScrollArea::viewportEvent(event); });
}

// A key, click or drop that runs out of memory must not end the program with
// the text unsaved: the edit is refused, the line list is made again from the
// text (which an edit either changes whole or leaves), and the window is told.
bool TextBox::withinMemory(const std::function<bool()>& handle) {
    try {
        return handle();
    } catch (const std::bad_alloc&) {
        try {
            showAllAgain();
            setSelection(m_anchor, m_caret);
        } catch (const std::bad_alloc&) {
        }
        emit outOfMemory();
        return true;
    }
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo)) {
        if (!m_readOnly)
            undoEdit();
        return;
    }
    if (isRedo(event)) {
        if (!m_readOnly)
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
        typeText(QString(QChar(char16_t(code))));
        return;
    }
    if (enter) {
        // A line break typed here is always CR LF (Shift+Enter too).
        if (!m_readOnly)
            replaceExact(selStart(), selLength(), QStringLiteral("\r\n"), Typed);
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cut();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    if (handleDelete(event) || handleMove(event))
        return;
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (!text.isEmpty() && !command && std::none_of(text.begin(), text.end(), [](QChar c) {
            return c.category() == QChar::Other_Control;
        })) {
        typeText(text);
        return;
    }
    event->ignore();
}

void TextBox::typeText(const QString& text) {
    if (m_readOnly)
        return;
    // A key typed over the same character changes nothing: no step to undo.
    if (selLength() == text.size() && selText() == text) {
        const qsizetype end = selStart() + text.size();
        setSelection(end, end);
        return;
    }
    replaceExact(selStart(), selLength(), text, Typed);
}

void TextBox::keyReleaseEvent(QKeyEvent* event) {
    QAbstractScrollArea::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyUp(event->key(), event->modifiers());
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (m_readOnly) {
        event->ignore();
        return;
    }
    QString commit = event->commitString();
    if (keyPressFilter && !commit.isEmpty()) {
        QString kept;
        for (const QChar ch : commit) {
            int code = ch.unicode();
            keyPressFilter(code);
            if (code != 0)
                kept += QChar(char16_t(code));
        }
        commit = kept;
    }
    // Line breaks from an input method are written as typed Enter writes them.
    commit = exact_text::normalizeLineBreaks(commit);
    m_caretAtCut = false; // the composition is laid out where the caret's position is
    const int caretLine = lineAndOffset(m_caret).first;
    if (!commit.isEmpty())
        typeText(commit);
    m_preedit = event->preeditString();
    m_preeditCaret = int(m_preedit.size());
    for (const QInputMethodEvent::Attribute& a : event->attributes())
        if (a.type == QInputMethodEvent::Cursor)
            m_preeditCaret = a.start;
    const int line = lineAndOffset(m_caret).first;
    forgetLayouts(std::min(line, caretLine), std::max(line, caretLine), 0);
    ensureCaretVisible();
    viewport()->update();
    updateMicroFocus();
    event->accept();
}

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const {
    const auto [line, offset] = lineAndOffset(m_caret);
    switch (query) {
    case Qt::ImEnabled:
        return !m_readOnly;
    case Qt::ImCursorRectangle: // asked of the box, not of its viewport
        return caretRect(m_caret).translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return offset;
    case Qt::ImAnchorPosition:
        return int(std::clamp<qsizetype>(m_anchor - lineStart(line), 0, m_blocks.textLength(line)));
    case Qt::ImSurroundingText:
        return shownLine(line);
    case Qt::ImCurrentSelection:
        return selLength() <= exact_text::kLongLine ? selText() : QString();
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void TextBox::mousePressEvent(QMouseEvent* event) {
    if (!m_preedit.isEmpty()) // a click ends the composition where it was
        QGuiApplication::inputMethod()->commit();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
        // The X11 way: the middle button pastes what was last selected.
        if (!m_readOnly && box_clipboard::hasText(clipboard->mimeData(QClipboard::Selection))) {
            moveCaret(positionAt(event->position().toPoint()), false);
            insertFromMimeData(clipboard->mimeData(QClipboard::Selection));
        }
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    bool atCut = false;
    const qsizetype at = hitTest(event->position().toPoint(), &atCut);
    m_pressPoint = event->position().toPoint();
    const qsizetype from = selStart();
    const qsizetype to = from + selLength();
    if (event->modifiers() & Qt::ShiftModifier) {
        moveCaret(at, true, false, atCut);
        m_selecting = true;
    } else if (from != to && at >= from && at <= to) {
        m_mayDrag = true; // a click into the selection may start a drag of it
    } else {
        moveCaret(at, false, false, atCut);
        m_selecting = true;
    }
}

void TextBox::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    if (m_mayDrag) {
        if ((point - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
            return;
        m_mayDrag = false;
        auto* drag = new QDrag(this);
        drag->setMimeData(createMimeDataFromSelection());
        const Qt::DropActions actions =
            m_readOnly ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction;
        const Qt::DropAction done = drag->exec(actions, Qt::MoveAction);
        // Moved to another program: the text leaves the box.
        if (done == Qt::MoveAction && !m_readOnly && drag->target() != viewport() &&
            drag->target() != this)
            replaceExact(selStart(), selLength(), QString(), Step);
        // A drag runs its own event loop, which takes the release: report it,
        // as a drop into the box does.
        if (drag->target() != viewport() && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
            emit mouseUp(Qt::LeftButton, event->modifiers(), event->position());
        return;
    }
    if (m_selecting) {
        selectTowards(point);
        // Held beyond the edge, the selection goes on growing with no move.
        if (viewport()->rect().contains(point))
            m_autoScroll.stop();
        else
            m_autoScroll.start(50, this);
    }
}

// The selection grows to the place under `point`; beyond the top or bottom
// edge, one line beyond the lines in sight.
void TextBox::selectTowards(QPoint point) {
    if (!m_selecting) {
        m_autoScroll.stop();
        return;
    }
    const QRect view = viewport()->rect();
    QPoint target = point;
    if (point.y() < view.top())
        target.setY(view.top() + kMargin - m_lineHeight / 2);
    else if (point.y() > view.bottom())
        target.setY(kMargin + linesInSight() * m_lineHeight + m_lineHeight / 2);
    bool atCut = false;
    const qsizetype at = hitTest(target, &atCut);
    moveCaret(at, true, false, atCut);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    m_autoScroll.stop();
    if (m_mayDrag) // pressed into the selection, not dragged: a plain click
        moveCaret(positionAt(event->position().toPoint()), false);
    m_mayDrag = false;
    m_selecting = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (m_caret != m_anchor && clipboard->supportsSelection())
        clipboard->setMimeData(createMimeDataFromSelection(), QClipboard::Selection);
    emit mouseUp(event->button(), event->modifiers(), event->position());
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    const qsizetype at = positionAt(point);
    const auto [line, offset] = lineAndOffset(at);
    const QString text = shownLine(line);
    // The character clicked: the one before the nearest position when the
    // click fell left of it (or past the end of the line).
    int clicked = offset;
    if (clicked > 0 && (clicked == text.size() || point.x() < caretRect(at).x()))
        --clicked;
    // The word, space or mark that holds it.
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(clicked);
    qsizetype from = clicked;
    if (!words.isAtBoundary())
        from = std::max<qsizetype>(0, words.toPreviousBoundary());
    words.setPosition(clicked);
    qsizetype to = words.toNextBoundary();
    if (to < 0)
        to = text.size();
    setSelection(lineStart(line) + from, lineStart(line) + to);
    m_selecting = false;
    m_mayDrag = false;
}

void TextBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const bool selected = m_caret != m_anchor;
    auto add = [&](const char* text, QKeySequence::StandardKey key, bool enabled, auto slot) {
        QAction* a =
            menu.addAction(QCoreApplication::translate("QWidgetTextControl", text), this, slot);
        a->setShortcut(key);
        a->setEnabled(enabled);
    };
    add("&Undo", QKeySequence::Undo, !m_readOnly && !m_undo.empty(), &TextBox::undoEdit);
    add("&Redo", QKeySequence::Redo, !m_readOnly && !m_redo.empty(), &TextBox::redoEdit);
    menu.addSeparator();
    add("Cu&t", QKeySequence::Cut, !m_readOnly && selected, &TextBox::cut);
    add("&Copy", QKeySequence::Copy, selected, &TextBox::copy);
    add("&Paste", QKeySequence::Paste,
        !m_readOnly && box_clipboard::hasText(QGuiApplication::clipboard()->mimeData()),
        &TextBox::paste);
    add("Delete", QKeySequence::UnknownKey, !m_readOnly && selected,
        [this] { replaceExact(selStart(), selLength(), QString(), Step); });
    menu.addSeparator();
    add("Select All", QKeySequence::SelectAll, !m_text.isEmpty(), &TextBox::selectAll);
    menu.exec(event->globalPos());
}

void TextBox::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
    if (!m_reportedFocus) {
        m_reportedFocus = true;
        emit gotFocus();
    }
}

void TextBox::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_blink.stop();
    m_autoScroll.stop();
    m_caretShown = false;
    viewport()->update();
    // Opening a menu or switching to another program does not move the focus
    // away from the box as far as the window is concerned.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (m_reportedFocus) {
        m_reportedFocus = false;
        emit lostFocus();
    }
}

QMimeData* TextBox::createMimeDataFromSelection() const {
    return box_clipboard::mimeData(selText()); // the caller (clipboard or drag) owns it
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    if (m_readOnly || !box_clipboard::hasText(source))
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

void TextBox::dragEnterEvent(QDragEnterEvent* event) {
    if (m_readOnly || !box_clipboard::hasText(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TextBox::dragMoveEvent(QDragMoveEvent* event) {
    if (m_readOnly || !box_clipboard::hasText(event->mimeData())) {
        event->ignore();
        return;
    }
    // Near the top or bottom edge, the lines scroll to bring more places in reach.
    const int y = event->position().toPoint().y();
    QScrollBar* v = verticalScrollBar();
    if (y < m_lineHeight)
        v->setValue(v->value() - 1);
    else if (y > viewport()->height() - m_lineHeight)
        v->setValue(v->value() + 1);
    const qsizetype at = positionAt(event->position().toPoint());
    if (at != m_dropCaret) {
        m_dropCaret = at;
        viewport()->update();
    }
    event->acceptProposedAction();
}

void TextBox::dragLeaveEvent(QDragLeaveEvent*) {
    m_dropCaret = -1;
    viewport()->update();
}

// Drops are done on the exact text: a move is one step that undo takes back whole.
void TextBox::dropEvent(QDropEvent* event) {
    m_dropCaret = -1;
    viewport()->update();
    if (m_readOnly || !box_clipboard::hasText(event->mimeData())) {
        event->ignore();
        return;
    }
    // A drop makes this the box being worked in, as a click does: the window
    // hears of it first (the input box puts its placeholder away then).
    setFocus(Qt::MouseFocusReason);
    if (!m_reportedFocus) {
        m_reportedFocus = true;
        emit gotFocus();
    }
    const qsizetype at = positionAt(event->position().toPoint());
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
    setSelection(at, at + text.size());
}
