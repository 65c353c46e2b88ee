#pragma once

#include <QString>
#include <QStringView>

// The transforms of the selected text. Each keeps the length of its input, so
// the same start and length select the result again.
namespace transforms {

// Per code unit, by the one-for-one case mapping; a letter whose mapping would
// change the length (ß, ŉ) and everything that is not a letter stay as they are.
QString upperCase(QStringView text);
QString lowerCase(QStringView text);

// The characters in reverse order. A surrogate pair is one character and keeps
// its two code units in order: reversed unit by unit it would become two lone
// surrogates that no file encoding can hold. Everything else, a CR LF pair
// included, is reversed unit by unit.
QString reversed(QStringView text);

// The same into `out`, which must have room for text.size() code units.
void reverseInto(QStringView text, char16_t* out);

} // namespace transforms
