#include "host/exact_text.h"

namespace exact_text {

QString render(const QString& exact, QChar blockBreak) {
    // The view is never longer than the exact text: fill it in place.
    QString view(exact.size(), Qt::Uninitialized);
    QChar* out = view.data();
    const QChar* in = exact.constData();
    const qsizetype n = exact.size();
    qsizetype k = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c != u'\r' && c != u'\n' && c != 0x2029 && (c & 0xFFFE) != 0xFDD0) [[likely]] {
            out[k++] = in[i];
            continue;
        }
        switch (c) {
        case u'\r':
            if (i + 1 < n && in[i + 1] == u'\n') {
                out[k++] = blockBreak;
                ++i;
            } else {
                out[k++] = kLineMark;
            }
            break;
        case u'\n':
        case 0x2029:
            out[k++] = kLineMark;
            break;
        case 0xFDD0:
        case 0xFDD1:
            out[k++] = kReplacedMark;
            break;
        default:
            out[k++] = in[i];
        }
    }
    view.truncate(k);
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
