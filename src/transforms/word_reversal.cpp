#include "transforms/word_reversal.h"

#include "analysis/substring_search.h"
#include "transforms/case_reversal.h"

#include <algorithm>

namespace transforms {

QString reverseWords(const QString& text, const QString& separator) {
    QString result(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    const QStringView in(text);
    const search::Matcher matcher(separator);
    qsizetype pieceStart = 0;
    qsizetype at = matcher.indexIn(in);
    while (at >= 0) {
        reverseInto(in.sliced(pieceStart, at - pieceStart), out + pieceStart);
        std::copy_n(separator.utf16(), separator.size(), out + at);
        pieceStart = at + separator.size();
        at = matcher.indexIn(in, pieceStart);
    }
    reverseInto(in.sliced(pieceStart), out + pieceStart);
    return result;
}

} // namespace transforms
