#pragma once

#include <QString>

// The three ready-made lists of signs to ignore, offered by the toolbox's list box.
namespace combo_presets {

QString asciiSigns();   // 32 ASCII signs, 63 characters
QString chineseSigns(); // full-width and Chinese punctuation with some ASCII, 69 characters
QString allSigns();     // both, back to back, 132 characters

} // namespace combo_presets
