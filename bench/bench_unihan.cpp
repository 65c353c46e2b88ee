// Times loading the Unihan table: from the compressed files (first run), and
// from the kept compact copy (every later run). Usage: bench_unihan [DIR]
#include "analysis/level_profile.h"
#include "analysis/unihan_data.h"
#include "bench_text.h"

#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[]) {
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : unihan::defaultDirectory();
    QTemporaryDir cache;
    unihan::LoadResult first;
    const double parse = bench::seconds([&] { first = unihan::load(dir, cache.path()); });
    if (!first.table) {
        std::fprintf(stderr, "%s\n", qPrintable(first.error));
        return 1;
    }
    std::vector<double> t;
    for (int i = 0; i < 20; ++i) {
        t.push_back(bench::seconds([&] {
            const unihan::LoadResult r = unihan::load(dir, cache.path());
            if (!r.fromCache)
                std::abort();
        }));
    }
    // The profile of every hanzi once: the cost per distinct character.
    std::vector<unihan::CodePointCount> counts;
    for (char32_t cp = 0; cp < 0x40000; ++cp)
        if (unihan::isHanzi(cp))
            counts.push_back({cp, 1});
    const double profile =
        bench::seconds([&] { (void)unihan::levelProfile(*first.table, counts); });
    std::printf("parse %.3f s   kept copy median %.2f ms   table %zu KB   listed %d   "
                "profile of %zu hanzi %.2f ms\n",
                parse, bench::median(t) * 1e3, first.table->byteSize() / 1024,
                first.table->listedCount(), counts.size(), profile * 1e3);
    return 0;
}
