#pragma once

#include "host/piece_text.h"

#include <QString>
#include <QStringView>

// The input box's whole text at the last anchoring: a version of the box's
// text, taken in O(1) and left alone by the box's later edits, made one string
// the first time a search needs it.
class SnapshotText {
  public:
    SnapshotText& operator=(const QString& text);
    SnapshotText& operator=(const PieceText& version);

    const QString& string() const;
    operator QStringView() const { return string(); }
    qsizetype size() const { return m_version.size(); }
    friend bool operator==(const SnapshotText& a, QStringView b) { return a.m_version.equals(b); }

  private:
    PieceText m_version;
    mutable QString m_string;
    mutable bool m_made = true; // the empty string
};

// The find/replace dialog's search state for the whole run of the program.
// It searches a snapshot of the input box taken at the caret, never the live
// box. Positions are 1-based and 64-bit (a caret beyond 32,767 is ordinary).
struct SearchState {
    QString FindWhat;
    SnapshotText SearchText;
    qsizetype caretAtAnchor = 0; // TextBeforeCaret is that many units of SearchText
    qsizetype ForwardStart = 0;
    qsizetype BackwardStart = 0;
    qsizetype MatchPos = 0;

    // The part of the snapshot in front of the caret; a view, so no copy.
    QStringView TextBeforeCaret() const {
        return QStringView(SearchText.string()).left(caretAtAnchor);
    }
};

// The program's one search state (never reset).
SearchState& Module1();

// Takes the snapshot of `boxText` at `selStart`.
void AnchorSearch(SearchState& state, const QString& boxText, qsizetype selStart);

// The same at a key or mouse release in the input box: the snapshot is the
// box's present version, taken in O(1) whatever the size of the text.
void AnchorSearchFromBox(SearchState& state, const PieceText& boxText, qsizetype selStart);
