#pragma once

#include <QString>

// What the two boxes show, in italics, while they hold no text.
namespace placeholders {

inline const QString kInput = QStringLiteral("输入:");
inline const QString kOutput = QStringLiteral("输出:");

} // namespace placeholders
