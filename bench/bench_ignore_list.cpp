// Times "忽略指定字符" with 1,000 two-character entries on 5 M characters:
// entries taken from the text itself (most of them occur), entries of random
// Chinese characters (most cannot occur), and a text made of nothing but the
// entries (every pass removes something and moves the rest of the text).
#include "analysis/text_preparation.h"
#include "bench_text.h"

#include <QStringList>
#include <cstdio>

namespace {

void time(const char* what, const QString& text, const QStringList& entries) {
    preparation::Options options;
    options.removeLineBreaks = false;
    options.removeSpaces = false;
    options.removeListed = true;
    options.ignoreList = entries.join(u' ');
    std::vector<double> runs;
    qsizetype left = 0;
    for (int run = 0; run < 3; ++run)
        runs.push_back(bench::seconds([&] { left = preparation::prepare(text, options).size(); }));
    std::printf("%-48s %lld of %lld units left, %.3f s (median)\n", what,
                static_cast<long long>(left), static_cast<long long>(text.size()),
                bench::median(runs));
}

} // namespace

int main() {
    constexpr qsizetype kUnits = 5'000'000;
    QString text = bench::makeText(kUnits);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("，"));
    text.replace(u' ', u'。');

    QStringList fromText;
    std::uint64_t state = 7;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    while (fromText.size() < 1'000)
        fromText << text.mid(qsizetype(next() % std::uint64_t(kUnits - 2)), 2);
    time("1,000 entries taken from the text:", text, fromText);

    QStringList random;
    while (random.size() < 1'000)
        random << QString(QChar(char16_t(0x4E00 + next() % 20'000))) +
                      QChar(char16_t(0x4E00 + next() % 20'000));
    time("1,000 entries of random Chinese characters:", text, random);

    QString onlyEntries;
    const QString all = fromText.join(QString());
    while (onlyEntries.size() + all.size() <= kUnits)
        onlyEntries += all;
    time("a text made of the 1,000 entries only:", onlyEntries, fromText);
    return 0;
}
