#pragma once

// Small helpers shared by the text tests.
#include <QRandomGenerator>
#include <QString>

namespace fixtures {

inline const QString kCrLf = QStringLiteral("\r\n");

// One figures line of a frequency report.
inline QString figures(const QString& label, int count, const QString& freq) {
    return label + QStringLiteral(" 出现的次数为:") + QString::number(count) +
           QStringLiteral("出现频率为:") + freq + kCrLf;
}

// `length` units drawn from `alphabet`.
inline QString randomText(QRandomGenerator& rng, qsizetype length, const QString& alphabet) {
    QString s;
    s.reserve(length);
    for (qsizetype i = 0; i < length; ++i)
        s += alphabet[int(rng.bounded(int(alphabet.size())))];
    return s;
}

} // namespace fixtures
