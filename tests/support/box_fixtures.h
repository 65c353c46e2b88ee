#pragma once

// Helpers shared by the text box's tests.
#include "host/exact_text.h"
#include "host/text_box.h"

#include <QTest>

// A shown, focused box of a known size, with its own drops in reach.
struct TestBox : TextBox {
    using TextBox::dropEvent;
    using TextBox::dropSelection;
    using TextBox::insertFromMimeData;
    explicit TestBox(const QString& text = QString(), QWidget* parent = nullptr) : TextBox(parent) {
        setText(text);
        if (parent)
            return;
        resize(300, 200);
        show();
        activateWindow();
        setFocus();
    }
};

// Types each character as a key of its own, as an input method commits it.
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The box shows `model` line for line; where lines may be cut for display,
// every unit but the line breaks, in lines no longer than the limit, and (with
// `pairsWhole`) no cut parting a surrogate pair. Check QTest::currentTestFailed() after it.
inline void checkShown(const TextBox& box, const QString& model, bool mayBeCut = false,
                       bool pairsWhole = true) {
    using exact_text::kBlockBreak;
    QString shown = box.shownText(kBlockBreak);
    if (!mayBeCut) {
        QCOMPARE(shown, exact_text::render(model, kBlockBreak));
        return;
    }
    shown.remove(kBlockBreak);
    QString units = model;
    units.removeIf([](QChar c) {
        return c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029);
    });
    QCOMPARE(shown, units);
    // Walk the model along the lines: a line that ends before anything but a
    // line break ends at a cut, which must not part a surrogate pair.
    qsizetype at = 0;
    for (int j = 0; j < box.lineCount(); ++j) {
        const QString line = box.shownLine(j);
        QVERIFY(line.size() <= exact_text::kLongLine);
        at += line.size();
        if (at >= model.size())
            break;
        const QChar next = model[at];
        if (next == u'\r' || next == u'\n' || next == QChar(0x2028) || next == QChar(0x2029)) {
            at += exact_text::pairAt(model, at) ? 2 : 1;
            continue;
        }
        QVERIFY2(!pairsWhole || !model[at - 1].isHighSurrogate() || !next.isLowSurrogate(),
                 "a cut parts a surrogate pair");
    }
}
