#include "dialogs/line_index.h"

#include <algorithm>
#include <limits>

namespace line_index {

namespace {

// Length of the line break at i (2 for CR LF), 0 when none starts there.
inline qsizetype breakAt(const char16_t* s, qsizetype n, qsizetype i) {
    const char16_t c = s[i];
    if (c > u'\r' && c < 0x2028) [[likely]]
        return 0;
    if (c == u'\r')
        return i + 1 < n && s[i + 1] == u'\n' ? 2 : 1;
    return c == u'\n' || c == 0x2028 || c == 0x2029 ? 1 : 0;
}

} // namespace

qsizetype lineStart(QStringView text, qint64 line, qsizetype caret) {
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    if (line == -1) {
        // Walk forward to the caret, remembering where the last break ended: a
        // backward walk could not tell a CR LF pair from a lone LF cheaply.
        const qsizetype end = std::clamp<qsizetype>(caret, 0, n);
        qsizetype start = 0;
        for (qsizetype i = 0; i < end;) {
            const qsizetype b = breakAt(s, n, i);
            if (b == 0) {
                ++i;
                continue;
            }
            i += b;
            if (i <= end)
                start = i;
        }
        return start;
    }
    if (line < 0)
        return -1;
    qint64 current = 0;
    for (qsizetype i = 0; i < n && current < line;) {
        const qsizetype b = breakAt(s, n, i);
        if (b == 0) {
            ++i;
            continue;
        }
        i += b;
        if (++current == line)
            return i;
    }
    return current == line ? 0 : -1;
}

std::optional<qint32> parseLineNumber(QStringView text) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

} // namespace line_index
