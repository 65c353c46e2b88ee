#include "transforms/separator_insertion.h"

#include <QChar>
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

// The text during the insertions is the built part out[0, size) followed by
// the untouched rest original[rest, restEnd) of the original text. Insertion
// points never go back (each is at least one separator past the previous one),
// so every insertion only moves text from the rest to the end of the built
// part; removing the trailing spaces eats the rest from its end and, once the
// rest is gone, the built part from its end. Each code unit is written and
// removed at most once; `capacity` bounds what is ever written.
class Inserter {
  public:
    Inserter(const QString& original, QStringView separator, qsizetype capacity)
        : m_src(reinterpret_cast<const char16_t*>(original.utf16())), m_restEnd(original.size()),
          m_sep(separator.utf16()), m_sepLength(separator.size()),
          m_trimmedSepLength(withoutTrailingSpaces(separator).size()),
          m_result(capacity, Qt::Uninitialized),
          m_out(reinterpret_cast<char16_t*>(m_result.data())) {}

    void insertAt(qint64 point) {
        ++m_count;
        if (m_rest == m_restEnd) {
            // Everything is built: the separator goes at the very end.
            if (m_trimmedSepLength == 0)
                trimBuilt();
            else
                write(m_sep, m_trimmedSepLength);
            return;
        }
        qsizetype take = qsizetype(std::clamp<qint64>(point - m_size, 0, m_restEnd - m_rest));
        // A separator never parts a surrogate pair (no encoding could save the
        // halves): it goes after the pair; later points stay where they were.
        if (take > 0 && m_rest + take < m_restEnd &&
            QChar::isHighSurrogate(m_src[m_rest + take - 1]) &&
            QChar::isLowSurrogate(m_src[m_rest + take]))
            ++take;
        write(m_src + m_rest, take);
        m_rest += take;
        write(m_sep, m_sepLength);
        while (m_restEnd > m_rest && m_src[m_restEnd - 1] == u' ')
            --m_restEnd;
        if (m_rest == m_restEnd)
            trimBuilt();
    }

    qsizetype separatorsInserted() const { return m_count; }

    QString take() {
        write(m_src + m_rest, m_restEnd - m_rest);
        m_result.truncate(m_size);
        return std::move(m_result);
    }

  private:
    void write(const char16_t* from, qsizetype n) {
        if (n == 1)
            m_out[m_size] = *from;
        else
            std::copy_n(from, n, m_out + m_size);
        m_size += n;
    }
    void trimBuilt() {
        while (m_size > 0 && m_out[m_size - 1] == u' ')
            --m_size;
    }

    const char16_t* m_src;
    qsizetype m_rest = 0;
    qsizetype m_restEnd;
    const char16_t* m_sep;
    qsizetype m_sepLength;
    qsizetype m_trimmedSepLength;
    QString m_result;
    char16_t* m_out;
    qsizetype m_size = 0;
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
