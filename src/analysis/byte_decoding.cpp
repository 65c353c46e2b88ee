#include "analysis/byte_decoding.h"

#include "host/text_codec.h"

#include <QByteArray>
#include <memory>

namespace byte_decoding {

const GbTables& gbTables() {
    // Read through the window's decoder once, so that both read every code alike.
    static const std::unique_ptr<GbTables> tables = [] {
        auto t = std::make_unique<GbTables>();
        QByteArray two;
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail)
                if (trail != 0x7F)
                    two.append(char(lead)).append(char(trail));
        QByteArray four;
        for (int linear = 0; linear < 39420; ++linear) {
            four.append(char(0x81 + linear / 12600)).append(char(0x30 + linear / 1260 % 10));
            four.append(char(0x81 + linear / 10 % 126)).append(char(0x30 + linear % 10));
        }
        const QString twoText = text_codec::decodeGb(two).text;
        const QString fourText = text_codec::decodeGb(four).text;
        for (int i = 0; i < 126 * 190; ++i)
            t->twoByte[i] = i < twoText.size() ? twoText[i].unicode() : char16_t(kReplacement);
        for (int i = 0; i < 39420; ++i)
            t->fourByte[i] = i < fourText.size() ? fourText[i].unicode() : char16_t(kReplacement);
        return t;
    }();
    return *tables;
}

} // namespace byte_decoding
