// Times loading the Unihan table: from the compressed files (first run), and
// from the kept compact copy (every later run); and the level profile of UTF-8
// files. Usage: bench_unihan [--unihan DIR] [FILE...]
#include "analysis/level_profile.h"
#include "analysis/unihan_data.h"
#include "bench_text.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

std::vector<unihan::CodePointCount> tallyCodePoints(const QString& text) {
    std::vector<std::uint64_t> counts(0x110000);
    for (const char32_t cp : text.toUcs4())
        ++counts[cp];
    std::vector<unihan::CodePointCount> result;
    for (char32_t cp = 0; cp < counts.size(); ++cp)
        if (counts[cp])
            result.push_back({cp, counts[cp]});
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    QString dir = unihan::defaultDirectory();
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--unihan" && i + 1 < argc)
            dir = QString::fromLocal8Bit(argv[++i]);
        else
            files << QString::fromLocal8Bit(argv[i]);
    }
    QTemporaryDir cache;
    unihan::LoadResult first;
    const std::clock_t cpuStart = std::clock();
    const double parse = bench::seconds([&] { first = unihan::load(dir, cache.path()); });
    const double parseCpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (!first.table) {
        std::fprintf(stderr, "%s\n", qPrintable(first.error));
        return 1;
    }
    std::vector<double> t;
    bool kept = true;
    for (int i = 0; i < 20; ++i)
        t.push_back(bench::seconds([&] { kept &= unihan::load(dir, cache.path()).fromCache; }));
    if (!kept) {
        std::fprintf(stderr, "The kept copy in %s was not used\n", qPrintable(cache.path()));
        return 1;
    }
    // The profile of every hanzi once: the cost per distinct character.
    std::vector<unihan::CodePointCount> counts;
    for (char32_t cp = 0; cp < 0x40000; ++cp)
        if (unihan::isHanzi(cp))
            counts.push_back({cp, 1});
    const double profile =
        bench::seconds([&] { (void)unihan::levelProfile(*first.table, counts); });
    std::printf("parse %.3f s (%.3f s CPU)   kept copy median %.2f ms   table %zu KB   listed %d   "
                "profile of %zu hanzi %.2f ms\n",
                parse, parseCpu, bench::median(t) * 1e3, first.table->byteSize() / 1024,
                first.table->listedCount(), counts.size(), profile * 1e3);
    for (const QString& name : files) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(f.errorString()));
            return 1;
        }
        const std::vector<unihan::CodePointCount> counts =
            tallyCodePoints(QString::fromUtf8(f.readAll()));
        unihan::Profile p;
        const double t = bench::seconds([&] { p = unihan::levelProfile(*first.table, counts); });
        std::printf("\n%s (%zu distinct code points, profile %.3f ms)\n%s", qPrintable(name),
                    counts.size(), t * 1e3, qPrintable(unihan::profileText(p)));
    }
    return 0;
}
