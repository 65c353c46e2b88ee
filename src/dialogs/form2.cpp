#include "dialogs/form2.h"

#include "dialogs/line_index.h"
#include "host/host.h"
#include "host/text_box.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

namespace {

const QString kOutOfRange = QStringLiteral("行数超过范围");

} // namespace

Form2::Form2(QWidget* owner, TextBox* inputBox, Host& host)
    : DesignDialog(owner, "Form2", QStringLiteral("转到下列行"), 2535, 975), m_inputBox(inputBox),
      m_host(host) {
    Label1 = add(new QLabel(QStringLiteral("行数(&L):"), this), "Label1", 120, 120, 735, 255);
    Text1 = add(new QLineEdit(QStringLiteral("1"), this), "Text1", 960, 120, 1455, 270);
    Command1 =
        add(new QPushButton(QStringLiteral("确定(&O)"), this), "Command1", 120, 480, 1095, 375);
    Command2 =
        add(new QPushButton(QStringLiteral("取消(&C)"), this), "Command2", 1320, 480, 1095, 375);

    Text1->setMaxLength(std::numeric_limits<int>::max());
    Label1->setBuddy(Text1);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    noDefaultButtons();

    // A key filter, not a validator: pasted text gets in and meets the number
    // conversion, as typed text that the filter lets through does.
    Text1->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    Form_Load();
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto mods = key->modifiers() & ~Qt::KeypadModifier;
        int code = -1;
        if (key->key() == Qt::Key_Backspace)
            code = 8;
        else if (mods == Qt::ControlModifier && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z)
            code = key->key() - Qt::Key_A + 1; // Ctrl with a letter types a control code
        else if (!key->text().isEmpty() && !(mods & Qt::ControlModifier))
            code = key->text().front().unicode();
        if (code >= 0) {
            Text1_KeyPress(code);
            if (code == 0)
                return true;
        }
    } else if (watched == Text1 && event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        QString kept;
        for (const QChar ch : im->commitString()) {
            int code = ch.unicode();
            Text1_KeyPress(code);
            if (code != 0)
                kept += ch;
        }
        if (kept != im->commitString())
            im->setCommitString(kept, im->replacementStart(), im->replacementLength());
    }
    return DesignDialog::eventFilter(watched, event);
}

bool Form2::NumberTrue2(int keyNumber, const QLineEdit* NumberStr) const {
    Q_UNUSED(NumberStr);
    return keyNumber >= '0' && keyNumber <= '9';
}

void Form2::Form_Load() {
    Text1->selectAll();
}

void Form2::Text1_KeyPress(int& keyAscii) {
    if (keyAscii != 8 && !NumberTrue2(keyAscii, Text1))
        keyAscii = 0;
}

void Form2::Command1_Click() {
    // Pasted text reaches the box unfiltered: the number conversion judges it.
    const std::optional<qint32> n = line_index::parseLineNumber(Text1->text());
    if (n) {
        const QString text = m_inputBox->text();
        // The caret is the moving end of the selection.
        const qsizetype caret = m_inputBox->caretPosition();
        const qsizetype start = line_index::lineStart(text, qint64(*n) - 1, caret);
        if (start >= 0 && start <= std::numeric_limits<int>::max() &&
            m_inputBox->setSelStart(int(start))) {
            close();
            return;
        }
    }
    m_host.msgBox(kOutOfRange, msgbox::Critical, kProgramName);
    Text1->setText(QStringLiteral("1"));
    Text1->selectAll();
    Text1->setFocus();
}

void Form2::Command2_Click() {
    close();
}

void Form2::Form_Unload() {
    focusInputBox(m_inputBox);
}
