#include "dialogs/search_state.h"

#include <algorithm>

namespace {

// Beyond this many edits (or inserted units beyond a quarter of the text) a
// fresh copy is cheaper than replaying them.
constexpr std::size_t kMaxEdits = 16;

void setAnchor(SearchState& state, qsizetype selStart) {
    const qsizetype caret = std::clamp<qsizetype>(selStart, 0, state.SearchText.size());
    state.caretAtAnchor = caret;
    state.BackwardStart = caret;
    state.ForwardStart = caret + 1;
}

void dropEdits(SearchState& state) {
    state.boxEdits.clear();
    state.boxEditUnits = 0;
}

} // namespace

SearchState& Module1() {
    static SearchState state;
    return state;
}

void AnchorSearch(SearchState& state, const QString& boxText, qsizetype selStart) {
    // A deep copy: the box edits its own buffer in place.
    state.SearchText = QString(boxText.constData(), boxText.size());
    state.followsBox = false;
    dropEdits(state);
    setAnchor(state, selStart);
}

void AnchorSearchFromBox(SearchState& state, const QString& boxText, qsizetype selStart) {
    // Replaying is only sound on the snapshot the edits were noted against: not
    // after another anchoring, nor when SearchText was assigned in between.
    bool replayed = state.followsBox && state.SearchText.constData() == state.followedData;
    if (replayed) {
        for (const SearchState::BoxEdit& e : state.boxEdits)
            state.SearchText.replace(e.position, e.removed, e.inserted);
        replayed = state.SearchText.size() == boxText.size(); // else an edit went unreported
    }
    if (!replayed)
        AnchorSearch(state, boxText, selStart);
    dropEdits(state);
    state.followsBox = true;
    state.followedData = state.SearchText.constData();
    setAnchor(state, selStart);
}

void NoteBoxEdit(SearchState& state, qsizetype position, qsizetype removed,
                 const QString& inserted) {
    if (!state.followsBox)
        return;
    state.boxEditUnits += inserted.size();
    if (state.boxEdits.size() >= kMaxEdits ||
        state.boxEditUnits > state.SearchText.size() / 4 + 64) {
        state.followsBox = false; // the next anchoring copies the text
        dropEdits(state);
        return;
    }
    state.boxEdits.push_back({position, removed, inserted});
}

void FollowNewBox(SearchState& state) {
    state.followsBox = false;
    dropEdits(state);
}
