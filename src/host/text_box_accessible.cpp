#include "host/text_box_accessible.h"

#include "host/text_box.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <algorithm>

namespace {

class BoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit BoxAccessible(TextBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !box()->isReadOnly();
        s.readOnly = box()->isReadOnly();
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return box()->text();
        return QAccessibleWidget::text(t);
    }

    // The text interface, in exact positions.
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && box()->selLength() > 0) {
            *start = box()->selStart();
            *end = box()->selStart() + box()->selLength();
        }
    }
    int selectionCount() const override { return box()->selLength() > 0 ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0)
            box()->setSelection(box()->caretPosition(), box()->caretPosition());
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0)
            box()->setSelection(clamp(start), clamp(end));
    }
    int cursorPosition() const override { return int(box()->caretPosition()); }
    void setCursorPosition(int position) override {
        box()->setSelection(clamp(position), clamp(position));
    }
    QString text(int start, int end) const override {
        const qsizetype from = clamp(start);
        return box()->content().mid(from, std::max<qsizetype>(0, clamp(end) - from));
    }
    int characterCount() const override { return int(box()->textSize()); }
    QRect characterRect(int offset) const override {
        const QRect caret = box()->caretRect(clamp(offset));
        const QRect next = box()->caretRect(clamp(offset + 1));
        const int width = next.top() == caret.top() ? std::max(1, next.x() - caret.x()) : 1;
        const QPoint topLeft = box()->viewport()->mapToGlobal(caret.topLeft());
        return QRect(topLeft, QSize(width, caret.height()));
    }
    int offsetAtPoint(const QPoint& point) const override {
        return int(box()->positionAt(box()->viewport()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        box()->setSelection(clamp(startIndex), clamp(endIndex));
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset; // plain text: no attributes
        return QString();
    }

  private:
    TextBox* box() const { return static_cast<TextBox*>(widget()); }
    qsizetype clamp(int position) const {
        return std::clamp<qsizetype>(position, 0, box()->textSize());
    }
};

} // namespace

namespace text_box_accessible {

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String(TextBox::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new BoxAccessible(static_cast<TextBox*>(object));
    return nullptr;
}

} // namespace text_box_accessible
