// The piecewise decoders and the piecewise preparation against the window's
// whole-text functions, on random texts cut at random places.
#include "analysis/byte_decoding.h"
#include "analysis/char_tally.h"
#include "analysis/stream_preparation.h"
#include "host/text_codec.h"
#include "text_fixtures.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

using text_codec::Encoding;

namespace {

// The bytes decoded in pieces cut at `cuts`, what a decoder leaves passed again.
QString decodeInPieces(Encoding e, const QByteArray& bytes, const std::vector<int>& cuts,
                       bool removeCrLf, std::uint64_t* invalid) {
    std::vector<char16_t> units;
    byte_decoding::Utf16Sink sink{units};
    byte_decoding::Stats stats;
    QByteArray carry;
    int from = 0;
    for (std::size_t k = 0; k <= cuts.size(); ++k) {
        const int to = k < cuts.size() ? cuts[k] : int(bytes.size());
        const QByteArray piece = carry + bytes.mid(from, to - from);
        const bool last = k == cuts.size();
        const auto* p = reinterpret_cast<const unsigned char*>(piece.constData());
        const auto n = std::size_t(piece.size());
        std::size_t used = 0;
        if (e == Encoding::Utf8)
            used = byte_decoding::utf8(p, n, last, removeCrLf, 0, sink, stats);
        else if (e == Encoding::Gb18030)
            used = byte_decoding::gb(p, n, last, removeCrLf, 0, sink, stats);
        else
            used = byte_decoding::utf16(p, n, last, e == Encoding::Utf16Be, removeCrLf, 0, sink,
                                        stats);
        carry = piece.mid(qsizetype(used));
        from = to;
    }
    *invalid = stats.invalid;
    return QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(units.size()));
}

std::vector<int> randomCuts(QRandomGenerator& rng, int size) {
    std::vector<int> cuts;
    for (int at = 0; size > 0;) {
        at += 1 + int(rng.bounded(6));
        if (at >= size)
            break;
        cuts.push_back(at);
    }
    return cuts;
}

QByteArray randomBytes(QRandomGenerator& rng, int n, const QByteArray& alphabet) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b += alphabet[int(rng.bounded(int(alphabet.size())))];
    return b;
}

} // namespace

class TstStreamDecoding : public QObject {
    Q_OBJECT

  private slots:
    // Stray and cut sequences among good ones: one U+FFFD per byte that
    // starts nothing, as the window reads them, wherever the pieces are cut.
    void decodersReadAsTheWindow_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QByteArray>("alphabet");
        QTest::newRow("utf-8")
            << int(Encoding::Utf8)
            << QByteArray("a\r\n\x80\xBF\xC0\xC2\xE0\xED\xA0\xE4\xBD\xF0\x9F\xF4\x90\xFF");
        QTest::newRow("gb18030")
            << int(Encoding::Gb18030)
            << QByteArray("a\r\n0\x30\x39\x40\x7F\x80\x81\x84\x90\xA1\xB0\xE3\xFE\xFF");
        QTest::newRow("utf-16le") << int(Encoding::Utf16Le)
                                  << QByteArray("a\r\n\x00\xD8\xDC\xDE\x4E");
        QTest::newRow("utf-16be") << int(Encoding::Utf16Be)
                                  << QByteArray("a\r\n\x00\xD8\xDC\xDE\x4E");
    }

    void decodersReadAsTheWindow() {
        QFETCH(int, encoding);
        QFETCH(QByteArray, alphabet);
        const Encoding e = Encoding(encoding);
        QRandomGenerator rng(encoding + 17);
        for (int round = 0; round < 400; ++round) {
            const QByteArray bytes = randomBytes(rng, int(rng.bounded(1, 40)), alphabet);
            const text_codec::Decoded window = text_codec::decodeAs(bytes, e);
            std::uint64_t invalid = 0;
            const QString text =
                decodeInPieces(e, bytes, randomCuts(rng, int(bytes.size())), false, &invalid);
            QCOMPARE(text, window.text);
            QCOMPARE(invalid > 0, window.invalidBytes);
            QCOMPARE(qsizetype(invalid), window.text.count(QChar(0xFFFD)));
            // CR LF pairs dropped while decoding, as the preparation drops them.
            QString prepared = window.text;
            prepared.replace(QStringLiteral("\r\n"), QString());
            QCOMPARE(decodeInPieces(e, bytes, randomCuts(rng, int(bytes.size())), true, &invalid),
                     prepared);
        }
    }

    // Every option of the toolbox, with entries that overlap, fold, span
    // surrogate pairs and come together after removals.
    void preparationInPiecesIsTheWindows() {
        QRandomGenerator rng(7);
        const QString alphabet = QStringLiteral("aAbB\r\n ,中文İı😀𐐀𐐨");
        const QStringList words = {"a", "ab", "Ab", "中文", "\r", "b\r", "aa",
                                   "😀", "𐐀",  ", ", "文中", "İ",  "b a"};
        for (int round = 0; round < 600; ++round) {
            const QString text = fixtures::randomText(rng, rng.bounded(0, 30), alphabet);
            preparation::Options o;
            o.lowerCase = rng.bounded(2);
            o.removeLineBreaks = rng.bounded(2);
            o.removeSpaces = rng.bounded(2);
            if (rng.bounded(2))
                o.separator = words[int(rng.bounded(int(words.size())))];
            o.removeListed = rng.bounded(2);
            QStringList list;
            for (int k = int(rng.bounded(4)); k > 0; --k)
                list << words[int(rng.bounded(int(words.size())))];
            o.ignoreList = list.join(u' ');
            const QString expected = preparation::prepare(text, o);

            stream_preparation::Preparer preparer(o);
            std::vector<char16_t> out;
            qsizetype from = 0;
            while (true) {
                const qsizetype n = std::min<qsizetype>(text.size() - from, rng.bounded(0, 5));
                const bool last = from + n == text.size();
                preparer.feed(QStringView(text).sliced(from, n), last, out);
                from += n;
                if (last)
                    break;
            }
            const QString got(reinterpret_cast<const QChar*>(out.data()), qsizetype(out.size()));
            if (got != expected)
                QFAIL(qPrintable(QStringLiteral("text %1, separator %2, list %3")
                                     .arg(text.toHtmlEscaped(), o.separator, o.ignoreList)));
        }
    }

    // Options that act on characters one by one, applied to the counts, give
    // the counts of the prepared text.
    void preparationOnCountsIsTheWindows() {
        QRandomGenerator rng(11);
        const QStringList alphabet = {"a",  "A",  "b", "B", "İ", "ı", " ", "\r",
                                      "\n", "中", "😀", "𐐀", "𐐨", "ǅ", "ǆ"};
        const QStringList singles = {"a", "B", "中", "😀", "𐐀", "İ", "ǅ", "\r", " "};
        for (int round = 0; round < 400; ++round) {
            QString text; // whole code points: no file holds a lone surrogate
            for (int k = int(rng.bounded(30)); k > 0; --k)
                text += alphabet[int(rng.bounded(int(alphabet.size())))];
            preparation::Options o;
            o.lowerCase = rng.bounded(2);
            o.removeLineBreaks = false; // dropped by the decoders, tested above
            o.removeSpaces = rng.bounded(2);
            char_tally::CountPreparation p{o.lowerCase, o.removeSpaces, {}, {}};
            if (rng.bounded(2)) {
                o.separator = singles[int(rng.bounded(int(singles.size())))];
                p.removeExact.push_back(o.separator.toUcs4().front());
            }
            o.removeListed = true;
            QStringList list;
            for (int k = int(rng.bounded(3)); k > 0; --k) {
                list << singles[int(rng.bounded(int(singles.size())))];
                if (list.last() != QLatin1String(" ")) // joined, it only makes empty entries
                    p.removeFolded.push_back(list.last().toUcs4().front());
            }
            o.ignoreList = list.join(u' ');

            auto itemsOf = [](const QString& s) {
                char_tally::Dense dense;
                const QList<uint> ucs = s.toUcs4();
                for (qsizetype i = 0; i < ucs.size(); ++i)
                    dense.add(ucs[i], std::uint64_t(i));
                return dense.take();
            };
            char_tally::Items got = char_tally::prepared(itemsOf(text), p);
            char_tally::Items expected = itemsOf(preparation::prepare(text, o));
            char_tally::sortByCharacter(got);
            char_tally::sortByCharacter(expected);
            QStringList a, b;
            for (const auto& i : got)
                a << QStringLiteral("%1x%2").arg(uint(i.character), 0, 16).arg(i.count);
            for (const auto& i : expected)
                b << QStringLiteral("%1x%2").arg(uint(i.character), 0, 16).arg(i.count);
            QCOMPARE(a.join(u' '), b.join(u' '));
        }
    }

    // Merging is a sum and a minimum: any grouping and order gives one tally.
    void mergeIsOrderIndependent() {
        const char_tally::Items a = {{U'a', 2, 5}, {U'中', 1, 9}};
        const char_tally::Items b = {{U'中', 4, 3}, {U'😀', 1, 1}};
        const char_tally::Items c = {{U'a', 1, 0}};
        auto text = [](char_tally::Items items) {
            char_tally::sortByCharacter(items);
            QString s;
            for (const auto& i : items)
                s += QStringLiteral("%1:%2@%3 ").arg(uint(i.character)).arg(i.count).arg(i.first);
            return s;
        };
        const QString one = text(char_tally::merged(char_tally::merged(a, b), c));
        QCOMPARE(text(char_tally::merged(c, char_tally::merged(b, a))), one);
        QCOMPARE(one, QStringLiteral("97:3@0 20013:5@3 128512:1@1 "));
        // The code-unit view: a pair's halves at its place, the high one first.
        QCOMPARE(text(char_tally::codeUnits(b)), QStringLiteral("20013:4@6 55357:1@2 56832:1@3 "));
    }
};

QTEST_GUILESS_MAIN(TstStreamDecoding)
#include "tst_stream_decoding.moc"
