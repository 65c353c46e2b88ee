#include "analysis/text_preparation.h"

#include "analysis/substring_search.h"

#include <QStringList>
#include <QStringMatcher>
#include <bitset>
#include <memory>

namespace preparation {

QString lowerCaseUnits(const QString& text) {
    QString out(text.size(), Qt::Uninitialized);
    const QChar* src = text.constData();
    QChar* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = src[i];
        dst[i] = c.isSurrogate() ? c : c.toLower();
    }
    return out;
}

void removeAll(QString& text, const QString& pattern, Qt::CaseSensitivity cs) {
    if (pattern.isEmpty())
        return;
    // QString::remove deletes the non-overlapping matches of the original text
    // in one pass, in linear time.
    text.remove(pattern, cs);
}

namespace {

bool isSingleUnit(const QString& entry) {
    return entry.size() == 1 && !entry.front().isSurrogate();
}

// Removing single characters never brings new ones together, so a run of
// single-character entries is removed in one pass, whatever its length.
void removeUnits(QString& text, const QStringList& entries, qsizetype from, qsizetype to) {
    std::bitset<65536> folded;
    for (qsizetype i = from; i < to; ++i)
        folded.set(entries[i].front().toCaseFolded().unicode());
    auto doomed = std::make_unique<std::bitset<65536>>();
    for (char32_t u = 0; u < 65536; ++u) {
        if (!QChar::isSurrogate(u) && folded[QChar::toCaseFolded(u)])
            doomed->set(u);
    }
    QChar* dst = text.data();
    for (const QChar c : std::as_const(text)) {
        if (!(*doomed)[c.unicode()])
            *dst++ = c;
    }
    text.truncate(dst - text.constData());
}

void removeListed(QString& text, const QStringList& entries) {
    for (qsizetype i = 0; i < entries.size();) {
        if (isSingleUnit(entries[i])) {
            qsizetype j = i;
            while (j < entries.size() && isSingleUnit(entries[j]))
                ++j;
            removeUnits(text, entries, i, j);
            i = j;
        } else {
            removeAll(text, entries[i], Qt::CaseInsensitive);
            ++i;
        }
    }
}

} // namespace

QString prepare(QString text, const Options& options) {
    if (options.lowerCase)
        text = lowerCaseUnits(text);
    if (options.removeLineBreaks)
        removeAll(text, QStringLiteral("\r\n"), Qt::CaseSensitive);
    if (options.removeSpaces)
        text.remove(u' ');
    if (!options.separator.isEmpty())
        removeAll(text, options.separator, Qt::CaseSensitive);
    if (options.removeListed && !options.ignoreList.isEmpty())
        removeListed(text, options.ignoreList.split(u' '));
    return text;
}

qsizetype countOccurrences(const QString& text, const QString& pattern) {
    if (pattern.isEmpty())
        return 0;
    return search::Matcher(pattern).countIn(text);
}

} // namespace preparation
