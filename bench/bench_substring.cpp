// Times the substring count on its worst cases: 20 M "a" against "b" followed
// by 32,766 "a" (quadratic matchers take minutes), a 1 M-unit substring, and
// a short substring in ordinary text.
#include "analysis/text_preparation.h"
#include "bench_text.h"

#include <cstdio>

namespace {

void time(const char* what, const QString& text, const QString& pattern) {
    std::vector<double> runs;
    qsizetype count = 0;
    for (int run = 0; run < 3; ++run)
        runs.push_back(
            bench::seconds([&] { count = preparation::countOccurrences(text, pattern); }));
    std::printf("%-52s count %lld in %.3f s (median)\n", what, static_cast<long long>(count),
                bench::median(runs));
}

} // namespace

int main() {
    const QString as(20'000'000, u'a');
    time("20 M \"a\", \"b\" + 32,766 \"a\":", as, u'b' + QString(32'766, u'a'));
    time("20 M \"a\", 32,766 \"a\" + \"b\":", as, QString(32'766, u'a') + u'b');
    time("20 M \"a\", 1 M \"a\":", as, QString(1'000'000, u'a'));
    const QString text = bench::makeText(20'000'000);
    time("20 M mixed text, a 4-unit substring from it:", text, text.mid(10'000'000, 4));
    return 0;
}
