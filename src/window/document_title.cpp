#include "window/document_title.h"

namespace document_title {

QString fileTitle(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

QString caption(const QString& inputFileName, bool changed) {
    return (changed ? QStringLiteral("*") : QString()) +
           (inputFileName.isEmpty() ? kUntitled : fileTitle(inputFileName)) + kSuffix;
}

} // namespace document_title
