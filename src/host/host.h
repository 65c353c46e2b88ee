#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

// Message box styles: a button set plus an icon.
namespace msgbox {
inline constexpr int OkOnly = 0;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;

inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace msgbox

inline const QString kProgramName = QStringLiteral("Quillet");

struct FileDialogRequest {
    bool openMode = true;
    QString dialogTitle;
    QString filterText; // description and pattern pairs, each part followed by "|"
    int filterIndex = 1;
    int dialogFlags = 0;
    QString initialDir; // empty: the current directory of the process
    QString fileName;
};

// File dialog flags as the callers pass them.
namespace ofn {
inline constexpr int OverwritePrompt = 0x2;
inline constexpr int HideReadOnly = 0x4;
inline constexpr int CreatePrompt = 0x2000;
inline constexpr int NoChangeDir = 0x8;
} // namespace ofn

// What the platform decides: message boxes, file dialogs, starting programs,
// the clipboard and the program's directory. Tests replace it with a scripted fake.
class Host {
  public:
    virtual ~Host() = default;

    // Returns the button: 1 OK, 2 Cancel (also for closing the box), 6 Yes, 7 No.
    // An empty title shows the program's name.
    virtual int msgBox(const QString& prompt, int style = msgbox::OkOnly,
                       const QString& title = QString()) = 0;

    // The chosen full path, or a text without "." when nothing was chosen.
    virtual QString showFileDialog(const FileDialogRequest& request) = 0;

    // The text a paste writes into a box: a box's exact text as it was copied,
    // another program's text with every line break made CR LF; empty when the
    // clipboard holds no text.
    virtual QString clipboardText() = 0;
    // Puts a box's exact text on the clipboard (other programs get LF line breaks).
    virtual void setClipboardText(const QString& text) = 0;
    virtual void clearClipboard() = 0;

    // The program's own directory, without a trailing separator.
    virtual QString programDirectory() = 0;

    // Starts `program` with `arguments` as they are (no quoting, no shell) without
    // waiting. On failure returns false and puts the reason into `error`.
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              QString* error) {
        Q_UNUSED(program);
        Q_UNUSED(arguments);
        if (error)
            *error = QStringLiteral("无法启动程序");
        return false;
    }

    // The same for a launcher that hands a file to the desktop's viewer and
    // exits: when it ends in failure, `whenFailed` gets its reason later.
    virtual bool startLauncher(const QString& program, const QStringList& arguments, QString* error,
                               std::function<void(const QString&)> whenFailed) {
        Q_UNUSED(whenFailed);
        return startProgram(program, arguments, error);
    }

    // The full path of the program `name` found on the PATH; empty when there is none.
    virtual QString findProgram(const QString& name) {
        Q_UNUSED(name);
        return QString();
    }

    // Hands `url` (mailto:, file:) to the desktop's handler; false when there is none.
    virtual bool openUrl(const QUrl& url) {
        Q_UNUSED(url);
        return false;
    }
};
