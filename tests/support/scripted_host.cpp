#include "scripted_host.h"

#include "host/exact_text.h"
#include "host/file_dialog.h"

#include <new>

int ScriptedHost::msgBox(const QString& prompt, int style, const QString& title) {
    messages.append({prompt, style, title});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    const int buttons = style & 0x0F;
    return (buttons == msgbox::YesNoCancel || buttons == msgbox::YesNo) ? msgbox::Yes : msgbox::Ok;
}

QString ScriptedHost::showFileDialog(const FileDialogRequest& request) {
    dialogs.append(request);
    if (chosenFiles.empty())
        return noFileChosen();
    const QString path = chosenFiles.front();
    chosenFiles.pop_front();
    return path;
}

bool ScriptedHost::startProgram(const QString& program, const QStringList& arguments,
                                QString* error) {
    programs.append({program, arguments});
    if (startError.isEmpty())
        return true;
    if (error)
        *error = startError;
    return false;
}

bool ScriptedHost::startLauncher(const QString& program, const QStringList& arguments,
                                 QString* error, std::function<void(const QString&)> whenFailed) {
    if (!startProgram(program, arguments, error))
        return false;
    if (!launcherFailure.isEmpty() && whenFailed)
        whenFailed(launcherFailure);
    return true;
}

QString ScriptedHost::findProgram(const QString& name) {
    return programsOnPath.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
}

bool ScriptedHost::openUrl(const QUrl& url) {
    urls.append(url);
    return urlHandler;
}

QString ScriptedHost::clipboardText() {
    if (clipboardOutOfMemory)
        throw std::bad_alloc();
    if (boxCopy && exact_text::toClipboard(*boxCopy) == clipboard)
        return *boxCopy;
    return exact_text::normalizeLineBreaks(clipboard);
}

void ScriptedHost::setClipboardText(const QString& text) {
    clipboard = exact_text::toClipboard(text);
    boxCopy = text;
}
