#include "host/block_map.h"

#include <QRandomGenerator>
#include <QTest>
#include <numeric>

class TstBlockMap : public QObject {
    Q_OBJECT

  private slots:
    // Random replacements of a few blocks by a few, across the edges of the
    // chunks, against plain vectors: lengths, breaks, starts and the block of
    // every position (empty blocks included) stay right. Then of many blocks
    // by many (a paste of many lines over many), across several chunks.
    void randomReplacementsAgainstAModel_data() {
        QTest::addColumn<int>("removed");  // at most this many blocks more than one
        QTest::addColumn<int>("inserted"); // at most this many blocks
        QTest::addColumn<int>("steps");
        QTest::newRow("few") << 0 << 0 << 4000;
        QTest::newRow("many") << 3 * BlockMap::kChunk << 3 * BlockMap::kChunk << 300;
    }
    void randomReplacementsAgainstAModel() {
        using Break = BlockMap::Break;
        QFETCH(int, removed);
        QFETCH(int, inserted);
        QFETCH(int, steps);
        QRandomGenerator rng(11);
        std::vector<int> lengths(3 * BlockMap::kChunk + 7);
        std::vector<Break> breaks(lengths.size(), Break::CrLf);
        for (int& l : lengths)
            l = int(rng.bounded(4));
        BlockMap map;
        map.assign(lengths, breaks);
        for (int step = 0; step < steps; ++step) {
            // Many steps grow the text (Enter), later ones shrink it.
            const int n = int(lengths.size());
            const int first = int(rng.bounded(n));
            const int last = std::min(n - 1, first + int(rng.bounded(removed       ? removed
                                                                     : step < 2000 ? 2
                                                                                   : 6)));
            std::vector<int> l(rng.bounded(inserted ? inserted : step < 2000 ? 6 : 2));
            std::vector<Break> b(l.size(), Break::Lf);
            for (int& x : l)
                x = int(rng.bounded(3));
            if (l.empty() && last - first + 1 == n)
                continue; // a view has one block at least
            map.replace(first, last, l, b);
            lengths.erase(lengths.begin() + first, lengths.begin() + last + 1);
            lengths.insert(lengths.begin() + first, l.begin(), l.end());
            breaks.erase(breaks.begin() + first, breaks.begin() + last + 1);
            breaks.insert(breaks.begin() + first, b.begin(), b.end());
            QCOMPARE(map.count(), int(lengths.size()));
            const int j = int(rng.bounded(int(lengths.size())));
            QCOMPARE(map.length(j), lengths[size_t(j)]);
            QCOMPARE(map.breakOf(j), breaks[size_t(j)]);
            const qsizetype start =
                std::accumulate(lengths.begin(), lengths.begin() + j, qsizetype(0));
            QCOMPARE(map.start(j), start);
            if (step % 500 == 0 || step == steps - 1 || removed) {
                // The block of x: the first block that ends after x, else the last.
                qsizetype at = 0;
                size_t k = 0;
                const qsizetype total =
                    std::accumulate(lengths.begin(), lengths.end(), qsizetype(0));
                for (qsizetype x = 0; x <= total; ++x) {
                    while (k < lengths.size() && at + lengths[k] <= x)
                        at += lengths[k++];
                    const auto [block, offset] = map.locate(x);
                    if (k == lengths.size()) {
                        QCOMPARE(block, int(lengths.size()) - 1);
                        QCOMPARE(offset, x - at + lengths.back());
                    } else {
                        QCOMPARE(block, int(k));
                        QCOMPARE(offset, x - at);
                    }
                }
            }
            if (step % 7 == 0) {
                const int s = int(rng.bounded(int(lengths.size())));
                lengths[size_t(s)] = int(rng.bounded(5));
                map.setLength(s, lengths[size_t(s)]);
            }
        }
    }
};

QTEST_MAIN(TstBlockMap)
#include "tst_block_map.moc"
