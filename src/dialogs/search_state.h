#pragma once

#include <QString>
#include <QStringView>
#include <vector>

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

    // Edits of the input box since the last anchoring from it (see AnchorSearchFromBox).
    struct BoxEdit {
        qsizetype position;
        qsizetype removed;
        QString inserted;
    };
    std::vector<BoxEdit> boxEdits;
    qsizetype boxEditUnits = 0;
    bool followsBox = false;             // SearchText plus boxEdits is the box's text
    const QChar* followedData = nullptr; // SearchText's buffer when it was last kept up
};

// The program's one search state (never reset).
SearchState& Module1();

// Takes the snapshot at `selStart`: a copy of `boxText` of its own.
void AnchorSearch(SearchState& state, const QString& boxText, qsizetype selStart);

// The same at a key or mouse release in the input box, in time proportional to
// the edits since the last such anchoring rather than to the text: a snapshot
// that shared the box's buffer would make the box copy its whole text at the
// next keystroke. Needs every edit of the box reported by NoteBoxEdit.
void AnchorSearchFromBox(SearchState& state, const QString& boxText, qsizetype selStart);

// The box replaced `removed` code units at `position` by `inserted`.
void NoteBoxEdit(SearchState& state, qsizetype position, qsizetype removed,
                 const QString& inserted);

// A new input box reports from now on: the next anchoring copies its text.
void FollowNewBox(SearchState& state);
