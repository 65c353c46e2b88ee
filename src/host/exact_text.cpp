#include "host/exact_text.h"

namespace exact_text {

QString render(const QString& exact, QChar blockBreak) {
    QString view;
    view.reserve(exact.size());
    const qsizetype n = exact.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = exact[i];
        switch (c.unicode()) {
        case u'\r':
            if (pairAt(exact, i)) {
                view += blockBreak;
                ++i;
            } else {
                view += kLineMark;
            }
            break;
        case u'\n':
        case 0x2029:
            view += kLineMark;
            break;
        case 0xFDD0:
        case 0xFDD1:
            view += kReplacedMark;
            break;
        default:
            view += c;
        }
    }
    return view;
}

QString fromTyped(const QString& viewChars) {
    QString exact;
    exact.reserve(viewChars.size());
    for (const QChar c : viewChars) {
        if (c == kBlockBreak || c == u'\n' || c == u'\r')
            exact += QLatin1String("\r\n");
        else
            exact += c;
    }
    return exact;
}

qsizetype advance(const QString& exact, qsizetype from, qsizetype viewCount) {
    qsizetype i = from;
    const qsizetype n = exact.size();
    for (qsizetype k = 0; k < viewCount && i < n; ++k)
        i += pairAt(exact, i) ? 2 : 1;
    return i;
}

QString normalizeLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += QLatin1String("\r\n");
            if (i + 1 < n && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString toClipboard(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

} // namespace exact_text
