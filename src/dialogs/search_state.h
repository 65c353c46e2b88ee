#pragma once

#include <QString>
#include <QStringView>

// The find/replace dialog's search state for the whole run of the program.
// It searches a snapshot of the input box taken at the caret, never the live
// box. Positions are 1-based and 64-bit (a caret beyond 32,767 is ordinary).
struct SearchState {
    QString FindWhat;
    QString SearchText;          // the input box's whole text at the last anchoring
    qsizetype caretAtAnchor = 0; // TextBeforeCaret is that many units of SearchText
    qsizetype ForwardStart = 0;
    qsizetype BackwardStart = 0;
    qsizetype MatchPos = 0;

    // The part of the snapshot in front of the caret; a view, so anchoring at
    // every key release copies nothing.
    QStringView TextBeforeCaret() const { return QStringView(SearchText).left(caretAtAnchor); }
};

// The program's one search state (never reset).
SearchState& Module1();

// Takes the snapshot at `selStart`; the text is shared, not copied.
void AnchorSearch(SearchState& state, const QString& boxText, qsizetype selStart);
