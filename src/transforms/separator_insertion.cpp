#include "transforms/separator_insertion.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace transforms {

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();

qint64 saturatingAdd(qint64 a, qint64 b) {
    return a > kMax - b ? kMax : a + b;
}

qint64 saturatingMultiply(qint64 a, qint64 b) {
    return (b != 0 && a > kMax / b) ? kMax : a * b;
}

QStringView withoutTrailingSpaces(QStringView s) {
    qsizetype end = s.size();
    while (end > 0 && s[end - 1] == u' ')
        --end;
    return s.first(end);
}

// The text during the insertions is `built` followed by the untouched rest
// original[rest, restEnd) of the original text. Insertion points never go back
// (each is at least one separator past the previous one), so every insertion
// only moves text from the rest to the end of `built`; removing the trailing
// spaces eats the rest from its end and, once the rest is gone, `built` from
// its end. Each code unit is appended and removed at most once.
class Inserter {
  public:
    Inserter(const QString& original, QStringView separator, qsizetype expectedLength)
        : m_original(original), m_separator(separator),
          m_trimmedSeparator(withoutTrailingSpaces(separator)), m_restEnd(original.size()) {
        m_built.reserve(expectedLength);
    }

    void insertAt(qint64 point) {
        ++m_count;
        if (m_rest == m_restEnd) {
            // Everything is in `built`: the separator goes at the very end.
            if (m_trimmedSeparator.isEmpty())
                trimBuilt();
            else
                m_built.append(m_trimmedSeparator);
            return;
        }
        const qint64 take = std::clamp<qint64>(point - m_built.size(), 0, m_restEnd - m_rest);
        m_built.append(QStringView(m_original).sliced(m_rest, take));
        m_rest += take;
        m_built.append(m_separator);
        while (m_restEnd > m_rest && m_original[m_restEnd - 1] == u' ')
            --m_restEnd;
        if (m_rest == m_restEnd)
            trimBuilt();
    }

    qsizetype separatorsInserted() const { return m_count; }

    QString take() {
        m_built.append(QStringView(m_original).sliced(m_rest, m_restEnd - m_rest));
        return std::move(m_built);
    }

  private:
    void trimBuilt() { m_built.truncate(withoutTrailingSpaces(m_built).size()); }

    const QString& m_original;
    QStringView m_separator;
    QStringView m_trimmedSeparator;
    QString m_built;
    qsizetype m_rest = 0;
    qsizetype m_restEnd;
    qsizetype m_count = 0;
};

} // namespace

qint64 leadingNumber(QStringView text) {
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = saturatingAdd(saturatingMultiply(value, 10), c.unicode() - u'0');
    }
    return value;
}

SeparatorInsertion insertSeparators(const QString& text, QStringView pattern, QStringView separator,
                                    qsizetype maxLength) {
    SeparatorInsertion result;
    if (pattern.isEmpty())
        return result;
    const qint64 length = text.size();
    const qint64 step = separator.size();

    if (!pattern.contains(u' ')) {
        const qint64 n = leadingNumber(pattern);
        if (n < 1 || n - 1 > length)
            return result;
        // Separators after characters n, 2n, ... up to and including length + 1.
        const qint64 count = (length + 1) / n;
        if (length + saturatingMultiply(count, step) > maxLength) {
            result.tooLong = true;
            return result;
        }
        Inserter inserter(text, separator, length + count * step);
        for (qint64 k = n - 1, c = 0; k <= length; k += n, ++c)
            inserter.insertAt(k + 1 + c * step);
        result.insertions = inserter.separatorsInserted();
        result.text = inserter.take();
        return result;
    }

    std::vector<qint64> groups;
    for (const QStringView part : pattern.tokenize(u' ')) {
        if (!part.isEmpty())
            groups.push_back(leadingNumber(part));
    }
    if (groups.empty())
        return result;
    if (length + saturatingMultiply(qint64(groups.size()), step) > maxLength) {
        result.tooLong = true;
        return result;
    }
    Inserter inserter(text, separator, length + qint64(groups.size()) * step);
    qint64 sum = 0;
    qint64 c = 0;
    for (const qint64 g : groups) {
        sum = saturatingAdd(sum, g);
        inserter.insertAt(saturatingAdd(sum, c * step));
        ++c;
    }
    result.insertions = inserter.separatorsInserted();
    result.text = inserter.take();
    return result;
}

} // namespace transforms
