#pragma once

#include "host/host.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <optional>

// A host for tests: records every message box and file dialog, and answers
// from scripts set up by the test. An unscripted message box answers its
// default (OK or Yes); an unscripted file dialog is cancelled.
class ScriptedHost : public Host {
  public:
    struct Message {
        QString prompt;
        int style;
        QString title;
    };

    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString showFileDialog(const FileDialogRequest& request) override;
    // `clipboard` is what other programs see; a box's own copy comes back exactly
    // while it is still there.
    QString clipboardText() override;
    void setClipboardText(const QString& text) override;
    void clearClipboard() override { clipboard.clear(); }
    QString programDirectory() override { return directory; }
    // Records the start; fails with `startError` when that is set.
    bool startProgram(const QString& program, const QStringList& arguments,
                      QString* error) override;
    // Starts as startProgram does; a started launcher then fails with
    // `launcherFailure` when that is set.
    bool startLauncher(const QString& program, const QStringList& arguments, QString* error,
                       std::function<void(const QString&)> whenFailed) override;
    // `programsOnPath` are found in /usr/bin, nothing else is.
    QString findProgram(const QString& name) override;
    // Records the URL; false when `urlHandler` is false.
    bool openUrl(const QUrl& url) override;

    std::deque<int> answers;         // next message box results
    std::deque<QString> chosenFiles; // next file dialog results
    QList<Message> messages;
    QList<FileDialogRequest> dialogs;
    QString clipboard;
    std::optional<QString> boxCopy;    // the exact text beside `clipboard`
    bool clipboardOutOfMemory = false; // clipboardText() throws std::bad_alloc
    QString directory = QStringLiteral("/opt/quillet");

    struct Start {
        QString program;
        QStringList arguments;
    };
    QList<Start> programs; // every startProgram call, also the failed ones
    QString startError;
    QString launcherFailure;
    QStringList programsOnPath;
    QList<QUrl> urls;
    bool urlHandler = true;

    // Every message box shown so far, as "style title: prompt".
    QStringList shown() const {
        QStringList all;
        for (const auto& m : messages)
            all << QStringLiteral("%1 %2: %3").arg(m.style).arg(m.title, m.prompt);
        return all;
    }
};
