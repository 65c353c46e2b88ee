#pragma once

#include "host/piece_text.h"

#include <QString>
#include <cstdint>
#include <vector>

// How the exact text of a text box is cut into the lines it shows, and back.
//
// The exact text is the source of truth. Every line break of it (CR LF, lone
// CR, lone LF, U+2029, U+2028) ends a line; which one it was is kept in the
// line list (see BlockMap). A line longer than kLongLine is shown in pieces of
// kPiece units (one fewer where a cut would part a surrogate pair) that end
// with no break at all. Every other code unit is exactly one character shown;
// the frame markers U+FDD0/U+FDD1 are shown by a stand-in.
namespace exact_text {

inline constexpr QChar kReplacedMark = QChar(0xFFFD); // shows U+FDD0 / U+FDD1
inline constexpr QChar kBlockBreak = QChar(0x2029);   // between lines in shown text
// No line shown is longer than kLongLine units: a keystroke lays out its whole
// line again, so this bounds its cost. A longer line is cut into
// pieces of kPiece units when written.
inline constexpr qsizetype kLongLine = 1'000;
inline constexpr qsizetype kPiece = 500;

// What ends a block of the view. None: the last block. Split: a display-only
// cut inside a long line, no code unit at all.
enum class Break : std::uint8_t { None, CrLf, Cr, Lf, ParagraphSeparator, LineSeparator, Split };

inline int breakUnits(Break b) {
    return b == Break::CrLf ? 2 : (b == Break::None || b == Break::Split) ? 0 : 1;
}

// True when a CR LF pair starts at i.
inline bool pairAt(const QString& s, qsizetype i) {
    return i + 1 < s.size() && s[i] == u'\r' && s[i + 1] == u'\n';
}
inline bool pairAt(const PieceText& s, qsizetype i) {
    return i + 1 < s.size() && s.at(i) == u'\r' && s.at(i + 1) == u'\n';
}

// The blocks that show a piece of exact text: the view text (blocks joined by
// '\n'), and each block's exact length and break. `tail` is the break that ends
// the piece: None or Split when it ends inside a line (a last block is shown
// even when empty); a real break when the piece ends just after one.
struct Blocks {
    QString view;
    std::vector<int> lengths;
    std::vector<Break> breaks;
};
Blocks renderBlocks(QStringView exact, Break tail = Break::None);
// The same blocks without the view text: how a piece of text is cut into lines.
Blocks splitBlocks(QStringView exact, Break tail = Break::None);
// The text of one line as shown: the frame markers by their stand-in.
QString shown(QStringView exact);

// The view form of `exact` as a whole text, blocks joined by `blockBreak`.
QString render(const QString& exact, QChar blockBreak = QChar(u'\n'));

// Pasted text gets the platform's line breaks of a text box: LF, lone CR and CR LF become CR LF.
QString normalizeLineBreaks(const QString& text);

// Text put on the clipboard: CR LF becomes LF.
QString toClipboard(const QString& text);

} // namespace exact_text
