#include "dialogs/find_replace_logic.h"

#include "host/substring_search.h"

#include <algorithm>
#include <limits>

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

std::optional<QString> replaceAllWithin(const QString& text, QStringView find,
                                        QStringView replacement, Qt::CaseSensitivity cs,
                                        qsizetype maxLength) {
    const qsizetype m = find.size();
    if (m == 0)
        return text;
    const search::Matcher matcher(find, cs);
    // Counted first, so that the result is sized before anything is built and no
    // list of places has to be kept (one for every unit of the text at worst).
    qsizetype hits = 0;
    for (qsizetype at = matcher.indexIn(text, 0); at >= 0; at = matcher.indexIn(text, at + m))
        ++hits;
    if (hits == 0)
        return text;
    const qsizetype r = replacement.size();
    const qint64 size = qint64(text.size()) + qint64(hits) * (qint64(r) - m);
    if (size > maxLength)
        return std::nullopt;
    QString result(size, Qt::Uninitialized);
    QChar* out = result.data();
    const QChar* in = text.constData();
    const QChar* with = replacement.data();
    qsizetype done = 0;
    for (qsizetype at = matcher.indexIn(text, 0); at >= 0; at = matcher.indexIn(text, at + m)) {
        out = std::copy(in + done, in + at, out);
        out = std::copy(with, with + r, out);
        done = at + m;
    }
    std::copy(in + done, in + text.size(), out);
    return result;
}

QString replaceAll(const QString& text, QStringView find, QStringView replacement,
                   Qt::CaseSensitivity cs) {
    return *replaceAllWithin(text, find, replacement, cs, std::numeric_limits<qsizetype>::max());
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

bool hasLineBreak(QStringView text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\u0085' ||
               c == u'\u2028' || c == u'\u2029';
    });
}

QString notFoundPrompt(QStringView findWhat) {
    QString prompt = QStringLiteral("找不到\"");
    prompt.append(findWhat);
    prompt.append(u'"');
    return prompt;
}

} // namespace find_replace
