#include "host/view_layout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QWidget>
#include <climits>

ViewLayout::ViewLayout(QTextDocument* document, const QWidget* viewport)
    : QPlainTextDocumentLayout(document), m_viewport(viewport),
      m_blockCount(document->blockCount()) {}

qreal ViewLayout::layOut(const QTextBlock& block) const {
    const QTextDocument* doc = document();
    const qreal margin = doc->documentMargin();
    QTextLayout* layout = block.layout();
    layout->setTextOption(doc->defaultTextOption());
    const int width = m_viewport->width();
    const qreal available = (width > 0 ? qreal(width) : qreal(INT_MAX)) - 2 * margin;
    qreal height = 0;
    qreal widest = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(available);
        line.setPosition(QPointF(margin, height));
        height += line.height();
        widest = qMax(widest, line.naturalTextWidth() + 2 * margin);
    }
    layout->endLayout();
    QTextBlock b = block;
    b.setLineCount(block.isVisible() ? layout->lineCount() : 0);
    return widest;
}

QRectF ViewLayout::blockBoundingRect(const QTextBlock& block) const {
    if (block.isValid() && block.layout()->lineCount() == 0 &&
        layOut(block) > documentSize().width())
        block.layout()->clearLayout(); // the plain-text layout records the new widest line
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

void ViewLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    const QTextDocument* doc = document();
    const QTextBlock block = doc->findBlock(from);
    // A change inside one line, the lines as many as before.
    if (doc->blockCount() == m_blockCount && block.isValid() &&
        block == doc->findBlock(qMax(0, from + charsAdded - 1)) &&
        block.layout()->lineCount() > 0) {
        const qreal height = block.layout()->boundingRect().height();
        if (layOut(block) <= documentSize().width()) {
            if (block.layout()->boundingRect().height() == height)
                emit updateBlock(block);
            else
                emit update();
            return;
        }
    }
    m_blockCount = doc->blockCount();
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
}
