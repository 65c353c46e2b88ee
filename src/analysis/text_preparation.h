#pragma once

#include <QString>

// How the input text is prepared before it is counted.
namespace preparation {

struct Options {
    bool lowerCase = false;       // 忽略大小写
    bool removeLineBreaks = true; // 忽略换行符: CR LF pairs only
    bool removeSpaces = true;     // 忽略空格: code 32 only
    QString separator;            // 忽略分隔符, when ticked and enabled; empty: nothing
    bool removeListed = false;    // 忽略指定字符
    QString ignoreList;           // entries separated by single spaces
};

// Each code unit mapped to its lower case, one for one.
QString lowerCaseUnits(const QString& text);

// One left-to-right pass that deletes every non-overlapping occurrence of `pattern`.
void removeAll(QString& text, const QString& pattern, Qt::CaseSensitivity cs);

// The options applied in their fixed order: case, CR LF, spaces, separator, list.
QString prepare(QString text, const Options& options);

// Non-overlapping occurrences, scanning from the left, exact comparison.
qsizetype countOccurrences(const QString& text, const QString& pattern);

} // namespace preparation
