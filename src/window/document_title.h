#pragma once

#include <QString>

// The window title of the input document.
namespace document_title {

inline const QString kUntitled = QStringLiteral("未命名");
inline const QString kSuffix = QStringLiteral(" - Quillet");

// The part of a path after its last separator ("\" or "/"); all of it when there is none.
QString fileTitle(const QString& path);

// "<file title or 未命名> - Quillet".
QString caption(const QString& inputFileName);

} // namespace document_title
