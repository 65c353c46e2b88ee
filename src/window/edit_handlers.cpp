// The Edit menu, the selection rule and the input box's key and mouse release.
#include "dialogs/search_state.h"
#include "host/memory.h"
#include "host/placeholders.h"
#include "host/text_box.h"
#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// Text boxes claim keys such as Ctrl+A for themselves (ShortcutOverride), so
// the menu's shortcut would never fire while one has the focus. The menu's own
// shortcuts win here: each acts on its fixed box wherever the focus is.
class MenuShortcutsWin : public QObject {
  public:
    MenuShortcutsWin(QWidget* window) : QObject(window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* action : m_window->actions()) {
            if (action->isEnabled() && !action->shortcut().isEmpty() &&
                action->shortcut() == pressed) {
                event->ignore(); // not claimed by the box: the shortcut goes to the menu
                return true;
            }
        }
        return false;
    }

  private:
    QWidget* m_window;
};

} // namespace

void Form1::connectEditHandlers() {
    connect(MuUnDo, &QAction::triggered, this, &Form1::MuUnDo_Click);
    connect(MuCut, &QAction::triggered, this, &Form1::MuCut_Click);
    connect(MuCopy, &QAction::triggered, this, &Form1::MuCopy_Click);
    connect(MuPaste, &QAction::triggered, this, &Form1::MuPaste_Click);
    connect(MuDel, &QAction::triggered, this, &Form1::MuDel_Click);
    connect(MuSelectAll, &QAction::triggered, this, &Form1::MuSelectAll_Click);
    connect(MuSelectAllB, &QAction::triggered, this, &Form1::MuSelectAllB_Click);
    connect(MuClear, &QAction::triggered, this, &Form1::MuClear_Click);
    connect(Text1, &TextBox::keyUp, this,
            [this](int key, Qt::KeyboardModifiers shift) { Text1_KeyUp(key, int(shift)); });
    connect(Text1, &TextBox::mouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at) {
                Text1_MouseUp(int(button), int(shift), float(at.x()), float(at.y()));
            });
    connect(Text1, &TextBox::outOfMemory, this,
            [this] { m_host.msgBox(memory::kNoRoom, msgbox::Exclamation, kProgramName); });
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);

    auto* filter = new MenuShortcutsWin(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(filter);
}

void Form1::SelectionRule() {
    // The length tells what the selected text would: no copy of a long selection.
    const bool selected = Text1->selLength() > 0;
    Command1->setEnabled(selected);
    Command2->setEnabled(selected);
    Command3->setEnabled(selected);
    MuCut->setEnabled(selected);
    MuCopy->setEnabled(selected);
    MuDel->setEnabled(selected);
}

void Form1::Text1_KeyUp(int, int) {
    SelectionRule();
    AnchorSearchFromBox(Module1(), Text1->content(), Text1->selStart());
}

void Form1::Text1_MouseUp(int, int, float, float) {
    SelectionRule();
    AnchorSearchFromBox(Module1(), Text1->content(), Text1->selStart());
}

bool Form1::leaveInputPlaceholder() {
    if (!Text1->fontItalic() || !Text1->textIs(placeholders::kInput))
        return false;
    Text1->setTextOutsideHistory(QString());
    Text1->setFontItalic(false);
    return true;
}

void Form1::restoreInputPlaceholder() {
    if (QApplication::focusWidget() != Text1)
        Text1_LostFocus();
}

void Form1::MuUnDo_Click() {
    if (Text1->canUndo()) {
        const bool placeholder = leaveInputPlaceholder();
        Text1->undoEdit();
        if (placeholder)
            restoreInputPlaceholder();
    }
    SelectionRule();
}

void Form1::MuCut_Click() {
    memory::guarded(m_host, [this] {
        m_host.clearClipboard();
        m_host.setClipboardText(Text1->selText());
        Text1->setSelText(QString());
    });
    SelectionRule();
}

void Form1::MuCopy_Click() {
    memory::guarded(m_host, [this] {
        m_host.clearClipboard();
        m_host.setClipboardText(Text1->selText());
    });
}

void Form1::MuPaste_Click() {
    memory::guarded(m_host, [this] {
        // No text on the clipboard writes the empty text: the selection is deleted.
        const QString text = m_host.clipboardText();
        if (!memory::checkRoom(m_host, text.size()))
            return;
        const bool placeholder = leaveInputPlaceholder();
        Text1->setSelText(text);
        if (placeholder)
            restoreInputPlaceholder();
    });
}

void Form1::MuDel_Click() {
    Text1->setSelText(QString());
    SelectionRule();
}

void Form1::MuSelectAll_Click() {
    leaveInputPlaceholder();
    Text1->setSelStart(0);
    Text1->setSelLength(int(Text1->textSize()));
    Text1_MouseUp(1, 1, 1.0f, 1.0f);
    Text1->setFocus();
}

void Form1::MuSelectAllB_Click() {
    Text2->setSelStart(0);
    Text2->setSelLength(int(Text2->textSize()));
    Text2->setFocus();
}

void Form1::MuClear_Click() {
    Text2->setText(QString());
    Text2->setFocus();
}
