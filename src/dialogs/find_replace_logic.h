#pragma once

#include "dialogs/search_state.h"

#include <QString>
#include <QStringView>
#include <optional>

// What the find/replace dialog computes, apart from its controls.
namespace find_replace {

enum class Direction { Up, Down };

// What one Find Next comes to.
struct FindOutcome {
    enum Kind {
        Nothing,  // nothing to find: no message, no change
        Match,    // select [start, start + length) in the input box
        Done,     // "完成..."
        NotFound, // "找不到" "..."
    };
    Kind kind = Nothing;
    qsizetype start = 0; // 0-based, in the snapshot
    qsizetype length = 0;
};

// One Find Next over the snapshot of `state`, updating its positions: a downward
// search moves only ForwardStart, an upward one only BackwardStart. Before the
// first anchoring ForwardStart is 0 and a downward search starts at position 1.
FindOutcome findNextMatch(SearchState& state, Direction direction, Qt::CaseSensitivity cs);

// Every non-overlapping occurrence of `find`, left to right, replaced by
// `replacement`; inserted text is not scanned again. Linear in the text.
QString replaceAll(const QString& text, QStringView find, QStringView replacement,
                   Qt::CaseSensitivity cs);

// The same, or nothing when the result would be longer than `maxLength` code
// units: then nothing is built.
std::optional<QString> replaceAllWithin(const QString& text, QStringView find,
                                        QStringView replacement, Qt::CaseSensitivity cs,
                                        qsizetype maxLength);

// The text with [start, start + length) replaced by `replacement`.
QString replaceRange(const QString& text, qsizetype start, qsizetype length,
                     QStringView replacement);

// The not-found prompt: 找不到"text".
QString notFoundPrompt(QStringView findWhat);

// The longest selection that opening the dialog puts into the find box.
inline constexpr int kMaxFindPrefill = 1000;

// True when `text` holds a line break of any kind (CR, LF, VT, FF, NEL, U+2028, U+2029).
bool hasLineBreak(QStringView text);

inline const QString kDone = QStringLiteral("完成...");

} // namespace find_replace
