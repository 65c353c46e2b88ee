#pragma once

#include "host/host.h"

#include <QStringList>

class QFileInfo;
class QWidget;

// The filter descriptions of a "desc|pattern|desc|pattern|" text, in order.
// A description without its own "(pattern)" gets the pattern appended.
QStringList fileDialogFilters(const QString& filterText);

// The suffix a save dialog appends to a name typed without one under the
// filter's pattern: "txt" for "*.txt", none for "*.*" or a list of patterns.
QString defaultSuffixFor(const QString& pattern);

// The result that means "nothing chosen": one NUL character.
inline QString noFileChosen() {
    return QString(QChar(u'\0'));
}

// The dialog's type column: "文件夹" for a folder, "txt 文件" for a.txt, "文件"
// for a name without a suffix (Qt would show the system's English type names).
QString fileTypeName(const QFileInfo& info);

// The question before a missing file is created: a symbolic link to a missing
// file says so and offers to create the file it names.
QString createPrompt(const QString& path);

// Shows Qt's file dialog for the request; never changes the current directory.
// With the create prompt, an open of a missing file asks, and 是 creates it empty.
QString runFileDialog(const FileDialogRequest& request, QWidget* parent);
