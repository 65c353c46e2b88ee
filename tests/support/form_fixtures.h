#pragma once

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
    // Every message box shown so far, as "style title: prompt".
    QStringList shown() const {
        QStringList all;
        for (const auto& m : host->messages)
            all << QStringLiteral("%1 %2: %3").arg(m.style).arg(m.title, m.prompt);
        return all;
    }
};
