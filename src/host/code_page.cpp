#include "host/code_page.h"

#include <QString>
#include <QStringEncoder>
#include <array>
#include <cstdint>
#include <memory>

namespace code_page {

int gbkLength(QChar c) {
    static const auto table = [] {
        auto t = std::make_unique<std::array<std::uint8_t, 65536>>();
        for (char32_t u = 0; u < 65536; ++u) {
            if (QChar::isSurrogate(u)) {
                (*t)[u] = 0;
                continue;
            }
            // A fresh encoder each time: hasError() is sticky and resetState()
            // leaves an ICU-backed encoder unusable in Qt 6.4.
            QStringEncoder gbk("windows-936", QStringConverter::Flag::Stateless);
            const QByteArray bytes = gbk.encode(QString(QChar(char16_t(u))));
            (*t)[u] = gbk.hasError() ? 0 : std::uint8_t(bytes.size());
        }
        return t;
    }();
    return (*table)[c.unicode()];
}

} // namespace code_page
