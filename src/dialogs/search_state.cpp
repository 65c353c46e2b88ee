#include "dialogs/search_state.h"

#include <algorithm>

SnapshotText& SnapshotText::operator=(const QString& text) {
    m_version = PieceText(text);
    m_string = text;
    m_made = true;
    return *this;
}

SnapshotText& SnapshotText::operator=(const PieceText& version) {
    m_version = version;
    m_string = QString();
    m_made = false;
    return *this;
}

const QString& SnapshotText::string() const {
    if (!m_made) {
        m_string = m_version.toString();
        m_made = true;
    }
    return m_string;
}

namespace {

void setAnchor(SearchState& state, qsizetype selStart) {
    const qsizetype caret = std::clamp<qsizetype>(selStart, 0, state.SearchText.size());
    state.caretAtAnchor = caret;
    state.BackwardStart = caret;
    state.ForwardStart = caret + 1;
}

} // namespace

SearchState& Module1() {
    static SearchState state;
    return state;
}

void AnchorSearch(SearchState& state, const QString& boxText, qsizetype selStart) {
    state.SearchText = boxText;
    setAnchor(state, selStart);
}

void AnchorSearchFromBox(SearchState& state, const PieceText& boxText, qsizetype selStart) {
    state.SearchText = boxText;
    setAnchor(state, selStart);
}
