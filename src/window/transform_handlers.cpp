// The toolbox's text transforms: case and reversal of the selected input text,
// word reversal and separator insertion over the whole input text.
#include "host/memory.h"
#include "host/placeholders.h"
#include "host/text_box.h"
#include "transforms/case_reversal.h"
#include "transforms/separator_insertion.h"
#include "transforms/word_reversal.h"
#include "window/form1.h"

#include <QLineEdit>
#include <algorithm>

void Form1::transformSelection(QString (*transform)(QStringView)) {
    memory::guarded(m_host, [&] {
        const int start = Text1->selStart();
        const int length = Text1->selLength();
        if (!memory::checkRoom(m_host, length))
            return;
        Text1->setSelText(transform(Text1->selText()));
        Text1->setSelStart(start);
        Text1->setSelLength(length);
        Text1_MouseUp(1, 1, 1.0f, 1.0f);
        Text1->setFocus();
    });
}

void Form1::Command1_Click() {
    transformSelection(transforms::upperCase);
}

void Form1::Command2_Click() {
    transformSelection(transforms::lowerCase);
}

void Form1::Command3_Click() {
    transformSelection(transforms::reversed);
}

void Form1::Command4_Click() {
    memory::guarded(m_host, [this] {
        const QString text = Text1->text();
        if ((text == placeholders::kInput && Text1->fontItalic()) || text.isEmpty()) {
            m_host.msgBox(QStringLiteral("文本不能为空"), msgbox::Exclamation, kProgramName);
            return;
        }
        if (!memory::checkRoom(m_host, text.size()))
            return;
        Text1->setTextAsStep(transforms::reverseWords(text, Text4->text()));
        Text1->setFocus();
    });
}

void Form1::Command5_Click() {
    memory::guarded(m_host, [this] {
        const qsizetype fits = qsizetype(memory::available() / memory::kBytesPerUnit);
        const transforms::SeparatorInsertion result =
            transforms::insertSeparators(Text1->text(), Text3->text(), Text4->text(),
                                         std::min(transforms::kMaxInsertionResult, fits));
        if (result.tooLong) {
            // Below the program's own limit, memory is what refuses.
            m_host.msgBox(fits < transforms::kMaxInsertionResult
                              ? memory::kNoRoom
                              : QStringLiteral("结果太长，文本未改变"),
                          msgbox::Exclamation, kProgramName);
            return;
        }
        if (result.insertions > 0)
            Text1->setTextAsStep(result.text);
    });
}
