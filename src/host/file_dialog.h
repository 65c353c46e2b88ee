#pragma once

#include "host/host.h"

#include <QStringList>

class QWidget;

// The filter descriptions of a "desc|pattern|desc|pattern|" text, in order.
// A description without its own "(pattern)" gets the pattern appended.
QStringList fileDialogFilters(const QString& filterText);

// The result that means "nothing chosen": one NUL character.
inline QString noFileChosen() {
    return QString(QChar(u'\0'));
}

// Shows Qt's file dialog for the request; never changes the current directory.
QString runFileDialog(const FileDialogRequest& request, QWidget* parent);
