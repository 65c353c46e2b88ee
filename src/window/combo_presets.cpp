#include "window/combo_presets.h"

#include <QStringList>

namespace combo_presets {

QString asciiSigns() {
    return QStringLiteral("~ ` ! @ # $ % ^ & * ( ) _ - + = | \\ { [ } ] : ; \" ' < , > . ? /");
}

QString chineseSigns() {
    const QStringList signs = {
        u"~"_qs,      u"`"_qs,      u"\uFF01"_qs,       u"\u00B7"_qs, u"#"_qs,
        u"\uFFE5"_qs, u"%"_qs,      u"\u2026\u2026"_qs, u"\u2014"_qs, u"*"_qs,
        u"\uFF08"_qs, u"\uFF09"_qs, u"\u2014\u2014"_qs, u"-"_qs,      u"+"_qs,
        u"="_qs,      u"|"_qs,      u"\u3001"_qs,       u"{"_qs,      u"["_qs,
        u"}"_qs,      u"]"_qs,      u"\uFF1A"_qs,       u"\uFF1B"_qs, u"\u201C"_qs,
        u"\u2018"_qs, u"\u201D"_qs, u"\u2019"_qs,       u"\u300A"_qs, u"\uFF0C"_qs,
        u"\u300B"_qs, u"\u3002"_qs, u"\uFF1F"_qs,       u"/"_qs};
    return signs.join(u' ');
}

QString allSigns() {
    return asciiSigns() + chineseSigns();
}

} // namespace combo_presets
