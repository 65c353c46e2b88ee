#pragma once

#include <QString>

// The text file format: lines end at CR LF or at a lone CR (a lone LF is an
// ordinary character); the box holds the lines joined by CR LF with no break
// after the last; writing adds one CR LF.
namespace text_file {

QString textFromFile(const QString& fileText);
QString fileFromText(const QString& boxText);

} // namespace text_file
