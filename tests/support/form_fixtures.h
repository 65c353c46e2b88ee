#pragma once

#include "box_fixtures.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTest>
#include <memory>

// A fresh main window on a scripted host for every test function: call
// start() from init() and stop() from cleanup().
struct FormFixture {
    std::unique_ptr<ScriptedHost> host;
    std::unique_ptr<Form1> form;

    void start(bool show = true) {
        host = std::make_unique<ScriptedHost>();
        form = std::make_unique<Form1>(*host);
        if (show) {
            form->show();
            QVERIFY(QTest::qWaitForWindowActive(form.get()));
        }
    }
    void stop() {
        if (form)
            form->InputChanged = false; // no save prompt on the way out
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QStringList shown() const { return host->shown(); }
    // The input box's selection as "sel start+length".
    QString selection() const {
        return QStringLiteral("sel %1+%2")
            .arg(form->Text1->selStart())
            .arg(form->Text1->selLength());
    }
    // Fresh input text with a selection, the document unchanged.
    void setInput(const QString& text, int start, int length) {
        form->Text1->setText(text);
        form->Text1->setSelStart(start);
        form->Text1->setSelLength(length);
        form->InputChanged = false;
    }
    // A report in the output box, in place of its placeholder.
    void showReport(const QString& text) {
        form->Text2->setFontItalic(false);
        form->Text2->setText(text);
    }
};

// A box's text, with " (italic)" when it shows in italics, as its placeholder does.
inline QString looks(const TextBox* box) {
    return box->text() + (box->fontItalic() ? QStringLiteral(" (italic)") : QString());
}
