#pragma once

#include "host/host.h"

#include <QHash>

class QAbstractButton;
class QMessageBox;

// The width a window needs to show the whole title in its title bar, beside
// the window manager's icon and buttons.
int titleBarWidth(const QString& title);

// Sets up `box` for a message-box style (a button set plus an icon) with the
// Chinese button texts, the default and the Esc button; returns the result
// each button gives. The box is at least as wide as titleBarWidth(title).
QHash<const QAbstractButton*, int> setUpMessageBox(QMessageBox& box, const QString& prompt,
                                                   int style, const QString& title);

// The real host: Qt dialogs, QProcess, QClipboard.
class QtHost : public Host {
  public:
    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString showFileDialog(const FileDialogRequest& request) override;
    QString clipboardText() override;
    void setClipboardText(const QString& text) override;
    void clearClipboard() override;
    QString programDirectory() override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      QString* error) override;
    bool startLauncher(const QString& program, const QStringList& arguments, QString* error,
                       std::function<void(const QString&)> whenFailed) override;
    QString findProgram(const QString& name) override;
    bool openUrl(const QUrl& url) override;
};
