// The analysis panel's handlers of the main window: the count command, its
// enabling rules and the key filter of the number box.
#include "analysis/frequency_report.h"
#include "analysis/text_preparation.h"
#include "host/memory.h"
#include "host/text_box.h"
#include "window/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

void Form1::Command6_Click() {
    memory::guarded(m_host, [this] { countInput(); });
}

// The count command itself; the report is built from a prepared copy of the input.
void Form1::countInput() {
    const QString substring = Text5->text();
    if (!substring.isEmpty()) {
        Text2->setText(QString());
        Text2->setFontItalic(false);
        const qsizetype n = preparation::countOccurrences(Text1->text(), substring);
        Text2->setText(QStringLiteral("子字符串在原字符串中出现了:") + QString::number(n) +
                       QStringLiteral("次") + QStringLiteral("\r\n") +
                       QStringLiteral("可以使用【工具】的【查找替换】功能来定位这些字符。"));
        return;
    }
    if (!memory::checkRoom(m_host, Text1->textSize()))
        return;
    preparation::Options options;
    options.lowerCase = Check1->isChecked();
    options.removeLineBreaks = Check2->isChecked();
    options.removeSpaces = Check3->isChecked();
    if (Check5->isChecked() && Check5->isEnabled())
        options.separator = Text4->text();
    options.removeListed = Check4->isChecked();
    options.ignoreList = Combo1->currentText();
    ComputeFrequency(preparation::prepare(Text1->text(), options));
}

void Form1::MuCalc_Click() {
    Command6_Click();
}

void Form1::ComputeFrequency(const QString& inpStr) {
    frequency::Order order = frequency::Order::FirstAppearance;
    if (Option1->isChecked())
        order = frequency::Order::ByCountDescending;
    else if (Option2->isChecked())
        order = frequency::Order::ByCountAscending;
    const QString report = frequency::report(inpStr, order);
    Text2->setFontItalic(false);
    Text2->setText(report);
}

void Form1::Check4_Click() {
    Combo1->setEnabled(Check4->isChecked());
}

void Form1::Text4_Change() {
    const bool hasSeparator = !Text4->text().isEmpty();
    Check5->setEnabled(hasSeparator);
    Command4->setEnabled(hasSeparator);
}

bool Form1::NumberTrue2(int keyNumber, const QLineEdit*) const {
    return keyNumber >= 48 && keyNumber <= 57;
}

void Form1::Text3_KeyPress(int& keyAscii) {
    if (keyAscii != 32 && keyAscii != 8 && !NumberTrue2(keyAscii, Text3))
        keyAscii = 0;
}
