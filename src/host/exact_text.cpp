#include "host/exact_text.h"

namespace exact_text {

namespace {

inline bool isBreakUnit(char16_t c) {
    return c == u'\r' || c == u'\n' || c == 0x2029 || c == 0x2028;
}

} // namespace

Blocks splitBlocks(QStringView exact, Break tail) {
    Blocks out;
    const char16_t* in = exact.utf16();
    const qsizetype n = exact.size();
    // First the blocks: a cut is pulled back in front of a surrogate pair, so
    // how many cuts a line gets is only known once they are made.
    auto addLine = [&](qsizetype from, qsizetype to, Break end) {
        while (to - from > kLongLine) {
            qsizetype cut = from + kPiece;
            if (QChar::isHighSurrogate(in[cut - 1]) && QChar::isLowSurrogate(in[cut]))
                --cut; // never part a surrogate pair
            out.lengths.push_back(int(cut - from));
            out.breaks.push_back(Break::Split);
            from = cut;
        }
        out.lengths.push_back(int(to - from + breakUnits(end)));
        out.breaks.push_back(end);
    };
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (!isBreakUnit(c)) [[likely]]
            continue;
        Break b = Break::Lf;
        if (c == u'\r')
            b = i + 1 < n && in[i + 1] == u'\n' ? Break::CrLf : Break::Cr;
        else if (c == 0x2029)
            b = Break::ParagraphSeparator;
        else if (c == 0x2028)
            b = Break::LineSeparator;
        addLine(lineStart, i, b);
        lineStart = i + breakUnits(b);
        i = lineStart - 1;
    }
    // A piece that ends just after a real break has no block after it.
    if (lineStart < n || tail == Break::None || tail == Break::Split || n == 0)
        addLine(lineStart, n, tail == Break::Split ? Break::Split : Break::None);
    return out;
}

QString shown(QStringView exact) {
    QString line(exact.size(), Qt::Uninitialized);
    QChar* out = line.data();
    for (const QChar c : exact)
        *out++ = (c.unicode() & 0xFFFE) == 0xFDD0 ? kReplacedMark : c;
    return line;
}

Blocks renderBlocks(QStringView exact, Break tail) {
    Blocks out = splitBlocks(exact, tail);
    const char16_t* in = exact.utf16();

    // Then the view: each block's text, and '\n' after every block but the
    // last; its size follows from the blocks, cuts included.
    qsizetype size = qsizetype(out.lengths.size()) - 1;
    for (size_t j = 0; j < out.lengths.size(); ++j)
        size += out.lengths[j] - breakUnits(out.breaks[j]);
    out.view.resize(size);
    QChar* view = out.view.data();
    qsizetype at = 0;
    for (size_t j = 0; j < out.lengths.size(); ++j) {
        const qsizetype text = out.lengths[j] - breakUnits(out.breaks[j]);
        for (const char16_t* p = in + at; p != in + at + text; ++p)
            *view++ = (*p & 0xFFFE) == 0xFDD0 ? kReplacedMark : QChar(*p);
        if (j + 1 < out.lengths.size())
            *view++ = u'\n';
        at += out.lengths[j];
    }
    return out;
}

QString render(const QString& exact, QChar blockBreak) {
    QString view = renderBlocks(exact).view;
    if (blockBreak != u'\n')
        view.replace(u'\n', blockBreak);
    return view;
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
