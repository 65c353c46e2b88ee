#pragma once

#include <QString>

// How the exact text of a text box is shown in its QTextDocument, and back.
//
// The exact text is the source of truth. In the view a CR LF pair is one block
// break; every other code unit is exactly one view character. Characters that
// the document would itself turn into a block break (lone CR, lone LF, U+2029,
// the frame markers U+FDD0/U+FDD1) are shown by a stand-in character, so that
// positions map one to one except at CR LF pairs.
namespace exact_text {

inline constexpr QChar kLineMark = QChar(0x2028);     // shows a lone CR, lone LF or U+2029
inline constexpr QChar kReplacedMark = QChar(0xFFFD); // shows U+FDD0 / U+FDD1
inline constexpr QChar kBlockBreak = QChar(0x2029);   // a block break as QTextCursor reports it

// True when a CR LF pair starts at i.
inline bool pairAt(const QString& s, qsizetype i) {
    return i + 1 < s.size() && s[i] == u'\r' && s[i + 1] == u'\n';
}

// The view form of `exact`; `blockBreak` is what stands for a CR LF pair
// ('\n' for inserting into a document, U+2029 to compare with selectedText()).
QString render(const QString& exact, QChar blockBreak = QChar(u'\n'));

// Exact text for characters that were typed into the view: a block break is CR LF.
QString fromTyped(const QString& viewChars);

// Walks `viewCount` view characters forward from exact position `from`;
// returns the exact position reached (never past the end).
qsizetype advance(const QString& exact, qsizetype from, qsizetype viewCount);

// Pasted text gets the platform's line breaks of a text box: LF, lone CR and CR LF become CR LF.
QString normalizeLineBreaks(const QString& text);

// Text put on the clipboard: CR LF becomes LF.
QString toClipboard(const QString& text);

} // namespace exact_text
