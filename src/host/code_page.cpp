#include "host/code_page.h"

#include <QStringEncoder>
#include <array>
#include <cstdint>

namespace code_page {

namespace {

enum : std::int8_t { Unknown = -1, Narrow = 0, Wide = 1 };

std::int8_t classify(QChar c) {
    QStringEncoder gbk("windows-936", QStringConverter::Flag::Stateless);
    const QByteArray bytes = gbk.encode(QString(c));
    return (!gbk.hasError() && bytes.size() == 2) ? Wide : Narrow;
}

} // namespace

bool isWide(QChar c) {
    // Asked per distinct character of a report, so each answer is kept.
    static std::array<std::int8_t, 65536> cache = [] {
        std::array<std::int8_t, 65536> a{};
        a.fill(Unknown);
        return a;
    }();
    std::int8_t& entry = cache[c.unicode()];
    if (entry == Unknown)
        entry = classify(c);
    return entry == Wide;
}

} // namespace code_page
