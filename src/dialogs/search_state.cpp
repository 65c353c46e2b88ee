#include "dialogs/search_state.h"

#include <algorithm>

SearchState& Module1() {
    static SearchState state;
    return state;
}

void AnchorSearch(SearchState& state, const QString& boxText, qsizetype selStart) {
    const qsizetype caret = std::clamp<qsizetype>(selStart, 0, boxText.size());
    state.SearchText = boxText;
    state.caretAtAnchor = caret;
    state.BackwardStart = caret;
    state.ForwardStart = caret + 1;
}
