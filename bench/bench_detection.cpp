// Encoding detection accuracy on real Chinese text (the fortunes-zh package
// plus the pieces' own punctuation, digits and Latin words): random pieces of
// 3 characters and up, each written in GBK and in UTF-8, opened by detection.
#include "bench_text.h"
#include "host/encoding_detection.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cmath>
#include <cstdio>

using text_codec::Encoding;

namespace {

QString corpus() {
    QString text;
    const QRegularExpression escapes(QStringLiteral("\x1B\\[[0-9;]*m"));
    for (const char* name : {"chinese", "tang300", "song100"}) {
        QFile f(QStringLiteral("/usr/share/games/fortunes/") + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        text += QString::fromUtf8(f.readAll())
                    .remove(escapes)
                    .replace(QStringLiteral("\n%\n"), QStringLiteral("\n"));
    }
    return text;
}

struct Tally {
    long right[2] = {0, 0};
    long total = 0;
};

} // namespace

int main() {
    const QString text = corpus();
    if (text.isEmpty()) {
        std::printf("fortunes-zh is not installed (scripts/setup.sh installs it)\n");
        return 1;
    }
    constexpr int kBuckets = 4;
    const char* bucketNames[kBuckets] = {"3-4", "5-9", "10-49", "50+"};
    for (const int pieces : {10000, 100000}) {
        QRandomGenerator random(20240315);
        Tally all, bucket[kBuckets];
        std::vector<double> times;
        for (int i = 0; i < pieces; ++i) {
            const int length = 3 + int(std::exp(random.generateDouble() * std::log(200.0)));
            const int start = int(random.bounded(qint64(text.size() - length)));
            QString piece = text.mid(start, length);
            if (piece.back().isHighSurrogate() || piece.front().isLowSurrogate())
                piece = text.mid(start + 1, length);
            const bool ascii =
                std::all_of(piece.begin(), piece.end(), [](QChar c) { return c.unicode() < 0x80; });
            const int b = length < 5 ? 0 : length < 10 ? 1 : length < 50 ? 2 : 3;
            for (const bool utf8 : {false, true}) {
                const QByteArray bytes =
                    text_codec::encode(piece, utf8 ? Encoding::Utf8 : Encoding::Gbk);
                text_codec::Decoded d;
                times.push_back(bench::seconds([&] { d = encoding_detection::decode(bytes); }));
                const bool own =
                    utf8 ? d.encoding == Encoding::Utf8
                         : d.encoding == Encoding::Gbk || d.encoding == Encoding::Gb18030;
                const bool ok = d.text == piece && (own || ascii);
                all.right[utf8] += ok;
                bucket[b].right[utf8] += ok;
            }
            ++all.total;
            ++bucket[b].total;
        }
        std::printf("%d pieces: GBK %.3f %%, UTF-8 %.3f %% opened in their own encoding "
                    "(median %.1f us a piece)\n",
                    pieces, 100.0 * all.right[0] / all.total, 100.0 * all.right[1] / all.total,
                    bench::median(times) * 1e6);
        for (int k = 0; k < kBuckets; ++k)
            std::printf("  %-6s characters: %6ld pieces  GBK %.3f %%  UTF-8 %.3f %%\n",
                        bucketNames[k], bucket[k].total,
                        100.0 * bucket[k].right[0] / std::max(1L, bucket[k].total),
                        100.0 * bucket[k].right[1] / std::max(1L, bucket[k].total));
    }
    return 0;
}
