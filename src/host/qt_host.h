#pragma once

#include "host/host.h"

class QWidget;

// The real host: Qt dialogs, QProcess, QClipboard.
class QtHost : public Host {
  public:
    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString showFileDialog(const FileDialogRequest& request) override;
    bool shell(const QString& commandLine, int windowStyle) override;
    QString clipboardText() override;
    void setClipboardText(const QString& text) override;
    void clearClipboard() override;
    QString programDirectory() override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      QString* error) override;
    QString findProgram(const QString& name) override;
    bool openUrl(const QUrl& url) override;
};
