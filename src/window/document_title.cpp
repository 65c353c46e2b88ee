#include "window/document_title.h"

namespace document_title {

QString fileTitle(const QString& path) {
    // A backslash is an ordinary character in a file name here.
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString caption(const QString& inputFileName, bool changed) {
    return (changed ? QStringLiteral("*") : QString()) +
           (inputFileName.isEmpty() ? kUntitled : fileTitle(inputFileName)) + kSuffix;
}

} // namespace document_title
