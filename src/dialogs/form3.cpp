#include "dialogs/form3.h"

#include "dialogs/find_replace_logic.h"
#include "dialogs/search_state.h"
#include "host/host.h"
#include "host/memory.h"
#include "host/placeholders.h"
#include "host/text_box.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

using find_replace::FindOutcome;

Form3::Form3(QWidget* owner, TextBox* inputBox, Host& host)
    : DesignDialog(owner, "Form3", QStringLiteral("查找/替换"), 6135, 1575), m_inputBox(inputBox),
      m_host(host) {
    Label1 = add(new QLabel(QStringLiteral("查找内容(&N):"), this), "Label1", 120, 120, 1095, 255);
    Text1 = add(new QLineEdit(this), "Text1", 1320, 120, 2895, 270);
    Label2 = add(new QLabel(QStringLiteral("替换为(&P):"), this), "Label2", 120, 480, 975, 255);
    Text2 = add(new QLineEdit(this), "Text2", 1320, 480, 2895, 270);
    Check1 =
        add(new QCheckBox(QStringLiteral("区分大小写(&C)"), this), "Check1", 120, 1080, 1575, 255);
    Frame1 = add(new QGroupBox(QStringLiteral("方向"), this), "Frame1", 1800, 840, 2415, 615);
    Option1 =
        add(new QRadioButton(QStringLiteral("向上(&U)"), Frame1), "Option1", 120, 240, 975, 255);
    Option2 =
        add(new QRadioButton(QStringLiteral("向下(&D)"), Frame1), "Option2", 1320, 240, 975, 255);
    Option2->setChecked(true);
    Command1 = add(new QPushButton(QStringLiteral("查找下一个(&F)"), this), "Command1", 4320, 120,
                   1695, 255);
    Command2 =
        add(new QPushButton(QStringLiteral("取消"), this), "Command2", 4320, 1200, 1695, 255);
    Command3 =
        add(new QPushButton(QStringLiteral("替换(&R)"), this), "Command3", 4320, 480, 1695, 255);
    Command4 = add(new QPushButton(QStringLiteral("全部替换(&A)"), this), "Command4", 4320, 840,
                   1695, 255);

    // No box silently cuts what is pasted into it.
    Text1->setMaxLength(std::numeric_limits<int>::max());
    Text2->setMaxLength(std::numeric_limits<int>::max());
    Label1->setBuddy(Text1);
    Label2->setBuddy(Text2);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Check1);
    setTabOrder(Check1, Option1);
    setTabOrder(Option1, Option2);
    setTabOrder(Option2, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    noDefaultButtons();

    connect(Text1, &QLineEdit::textChanged, this, &Form3::Text1_Change);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form3::Command4_Click);
    Text1_Change();
}

Qt::CaseSensitivity Form3::caseMode() const {
    return Check1->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

void Form3::Text1_Change() {
    const bool any = !Text1->text().isEmpty();
    Command1->setEnabled(any);
    Command3->setEnabled(any);
    Command4->setEnabled(any);
    Module1().FindWhat = Text1->text();
}

void Form3::FindNextMatch() {
    const auto direction =
        Option2->isChecked() ? find_replace::Direction::Down : find_replace::Direction::Up;
    const FindOutcome found = find_replace::findNextMatch(Module1(), direction, caseMode());
    switch (found.kind) {
    case FindOutcome::Nothing:
        return;
    case FindOutcome::Done:
        m_host.msgBox(find_replace::kDone, msgbox::Information, kProgramName);
        return;
    case FindOutcome::NotFound:
        // No title: the message box shows the application's.
        m_host.msgBox(find_replace::notFoundPrompt(Module1().FindWhat), msgbox::Information);
        return;
    case FindOutcome::Match: {
        // The snapshot may be longer than the live box: the box clamps.
        constexpr qsizetype kMax = std::numeric_limits<int>::max();
        m_inputBox->setSelStart(int(std::min(found.start, kMax)));
        m_inputBox->setSelLength(int(std::min(found.length, kMax)));
        focusInputBox(m_inputBox);
        return;
    }
    }
}

void Form3::Command1_Click() {
    FindNextMatch();
}

void Form3::Command2_Click() {
    close();
}

void Form3::Command3_Click() {
    const qsizetype length = m_inputBox->selLength();
    if (length == 0) {
        Option2->setChecked(true);
        FindNextMatch();
        return;
    }
    memory::guarded(m_host, [&] {
        const QString replacement = Text2->text();
        if (!memory::checkRoom(m_host, m_inputBox->textSize() - length + replacement.size()))
            return;
        // The selection itself is replaced, not the first equal text in front of it.
        const QString result = find_replace::replaceRange(
            m_inputBox->text(), m_inputBox->selStart(), length, replacement);
        m_inputBox->setTextAsStep(result);
        AnchorSearch(Module1(), result, m_inputBox->selStart());
    });
}

void Form3::Command4_Click() {
    // The placeholder is not text: there is nothing in it to replace.
    if (m_inputBox->fontItalic() && m_inputBox->textIs(placeholders::kInput)) {
        m_inputBox->setTextAsStep(m_inputBox->text());
        return;
    }
    memory::guarded(m_host, [&] {
        const QString text = m_inputBox->text();
        const qint64 fits = memory::available() / memory::kBytesPerUnit;
        std::optional<QString> result = find_replace::replaceAllWithin(
            text, Text1->text(), Text2->text(), caseMode(), qsizetype(fits));
        if (!result) {
            m_host.msgBox(memory::kNoRoom, msgbox::Exclamation, kProgramName);
            return;
        }
        m_inputBox->setTextAsStep(*result);
    });
}

void Form3::Form_Unload() {
    focusInputBox(m_inputBox);
}
