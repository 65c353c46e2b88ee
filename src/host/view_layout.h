#pragma once

#include <QPlainTextDocumentLayout>

// The layout of a text box's view. The plain-text layout measures every line
// of the document again (and makes a layout object for each, about 340 bytes)
// whenever its widest line gets narrower: 20 ms and 160 MB in a text of half a
// million lines, at a Backspace or Enter on that line. Here a line laid out
// again that is no wider than the widest so far is laid out alone, and the
// width of the document is kept; only a line wider than all before goes to the
// plain-text layout, which then records it without measuring the others.
class ViewLayout : public QPlainTextDocumentLayout {
    Q_OBJECT
  public:
    ViewLayout(QTextDocument* document, const QWidget* viewport);
    QRectF blockBoundingRect(const QTextBlock& block) const override;

  protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

  private:
    // Lays the block out as the plain-text layout does; its width.
    qreal layOut(const QTextBlock& block) const;

    const QWidget* m_viewport;
    int m_blockCount; // the block count the plain-text layout last saw
};
