#pragma once

#include <QString>

// The window title of the input document: the change mark comes from the
// document's changed state, never from the title's own text, so a file title
// holding "*" is shown as it is.
namespace document_title {

inline const QString kUntitled = QStringLiteral("未命名");
inline const QString kSuffix = QStringLiteral(" - Quillet");

// The part of a path after its last separator ("\" or "/"); all of it when there is none.
QString fileTitle(const QString& path);

// "<file title or 未命名> - Quillet", with "*" in front when changed.
QString caption(const QString& inputFileName, bool changed = false);

} // namespace document_title
