#include "transforms/word_reversal.h"

#include "host/substring_search.h"
#include "transforms/case_reversal.h"

#include <algorithm>

namespace transforms {

QString reverseWords(const QString& text, const QString& separator) {
    QString result(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    const QStringView in(text);
    const search::Matcher matcher(separator);
    // A one-unit separator, the usual case, is found by a plain scan.
    const char16_t* begin = in.utf16();
    const char16_t* end = begin + in.size();
    auto next = [&](qsizetype from) -> qsizetype {
        if (separator.size() != 1)
            return matcher.indexIn(in, from);
        const char16_t* hit = std::find(begin + from, end, separator.front().unicode());
        return hit == end ? -1 : hit - begin;
    };
    qsizetype pieceStart = 0;
    qsizetype at = next(0);
    while (at >= 0) {
        reverseInto(in.sliced(pieceStart, at - pieceStart), out + pieceStart);
        std::copy_n(separator.utf16(), separator.size(), out + at);
        pieceStart = at + separator.size();
        at = next(pieceStart);
    }
    reverseInto(in.sliced(pieceStart), out + pieceStart);
    return result;
}

} // namespace transforms
