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
    if (!state.followsBox) {
        AnchorSearch(state, boxText, selStart);
        state.followsBox = true;
        return;
    }
    for (const SearchState::BoxEdit& e : state.boxEdits)
        state.SearchText.replace(e.position, e.removed, e.inserted);
    dropEdits(state);
    if (state.SearchText.size() != boxText.size()) { // an edit went unreported
        AnchorSearch(state, boxText, selStart);
        state.followsBox = true;
        return;
    }
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
