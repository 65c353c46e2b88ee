#pragma once

#include "host/host.h"

#include <cstdio>

namespace bench {

// A host that never waits for a person: every message box answers OK (and is
// counted, or printed when `printMessages`), every file dialog chooses `nextFile`
// (one NUL: cancelled), nothing is started.
class SilentHost : public Host {
  public:
    int msgBox(const QString& prompt, int, const QString&) override {
        ++messages;
        if (printMessages)
            std::printf("message: %s\n", qPrintable(prompt));
        return msgbox::Ok;
    }
    QString showFileDialog(const FileDialogRequest&) override { return nextFile; }
    QString clipboardText() override { return {}; }
    void setClipboardText(const QString&) override {}
    void clearClipboard() override {}
    QString programDirectory() override { return {}; }

    int messages = 0;
    bool printMessages = false;
    QString nextFile = QString(QChar(0));
};

} // namespace bench
