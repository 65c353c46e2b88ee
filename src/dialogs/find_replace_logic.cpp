#include "dialogs/find_replace_logic.h"

#include "host/substring_search.h"

#include <algorithm>
#include <vector>

namespace find_replace {

FindOutcome findNextMatch(SearchState& state, Direction direction, Qt::CaseSensitivity cs) {
    if (state.FindWhat.isEmpty())
        return {};
    const search::Matcher matcher(state.FindWhat, cs);
    const qsizetype length = state.FindWhat.size();
    if (direction == Direction::Down) {
        // Position 0 is no position: it only occurs before the first anchoring.
        const qsizetype from = std::max<qsizetype>(state.ForwardStart, 1) - 1;
        const qsizetype at = matcher.indexIn(state.SearchText, from);
        state.MatchPos = at + 1;
        state.ForwardStart = state.MatchPos + 1;
        if (state.MatchPos == 0)
            return {FindOutcome::Done, 0, 0};
        return {FindOutcome::Match, at, length};
    }
    if (state.BackwardStart == 0)
        return {FindOutcome::Done, 0, 0};
    const QStringView before = state.TextBeforeCaret();
    const qsizetype end = state.BackwardStart < 0 ? before.size() : state.BackwardStart;
    const qsizetype at = matcher.lastIndexIn(before, end);
    state.MatchPos = at + 1;
    state.BackwardStart = state.MatchPos - 1;
    if (state.MatchPos == 0)
        return {FindOutcome::NotFound, 0, 0};
    return {FindOutcome::Match, at, length};
}

QString replaceAll(const QString& text, QStringView find, QStringView replacement,
                   Qt::CaseSensitivity cs) {
    const qsizetype m = find.size();
    if (m == 0)
        return text;
    const search::Matcher matcher(find, cs);
    std::vector<qsizetype> hits;
    for (qsizetype at = matcher.indexIn(text, 0); at >= 0; at = matcher.indexIn(text, at + m))
        hits.push_back(at);
    if (hits.empty())
        return text;
    const qsizetype size = text.size() + qsizetype(hits.size()) * (replacement.size() - m);
    QString result(size, Qt::Uninitialized);
    QChar* out = result.data();
    const QChar* in = text.constData();
    const QChar* with = replacement.data();
    const qsizetype r = replacement.size();
    qsizetype done = 0;
    for (const qsizetype at : hits) {
        out = std::copy(in + done, in + at, out);
        out = std::copy(with, with + r, out);
        done = at + m;
    }
    std::copy(in + done, in + text.size(), out);
    return result;
}

QString replaceRange(const QString& text, qsizetype start, qsizetype length,
                     QStringView replacement) {
    start = std::clamp<qsizetype>(start, 0, text.size());
    length = std::clamp<qsizetype>(length, 0, text.size() - start);
    QString result;
    result.reserve(text.size() - length + replacement.size());
    result.append(QStringView(text).left(start));
    result.append(replacement);
    result.append(QStringView(text).mid(start + length));
    return result;
}

QString notFoundPrompt(QStringView findWhat) {
    QString prompt = QStringLiteral("找不到\"");
    prompt.append(findWhat);
    prompt.append(u'"');
    return prompt;
}

} // namespace find_replace
