#pragma once

// A few lines of each Unihan file in the real format, written by the tests.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <bzlib.h>

namespace fixtures {

// 的: several readings, in kGB0 and kTGH. 万: two kMandarin values, the list's
// readings in another order. 范: two stroke counts, a reading at two places.
// 一 矗 | 乂 齉 | 亍 蠼: the first and last of each level. 丌: in kGB0, not in the
// list. 㐀 𠀀 豈: outside the list (extension A, B, a compatibility ideograph).
inline const char* const kReadings =
    "# Unihan_Readings.txt\n"
    "#\tkMandarin\n"
    "\n"
    "U+3400\tkMandarin\tqiū\n"
    "U+4E00\tkMandarin\tyī\n"
    "U+4E07\tkMandarin\twàn mò\n"
    "U+4E07\tkTGHZ2013\t256.090:mò 379.160:wàn\n"
    "U+4E0C\tkMandarin\tjī\n"
    "U+7684\tkHanyuPinlu\tde(75596) dì(157) dí(84)\n"
    "U+7684\tkMandarin\tde\n"
    "U+7684\tkTGHZ2013\t069.080:de 070.170:dī 071.080:dí 072.100:dì\n"
    "U+8303\tkMandarin\tfàn\n"
    "U+8303\tkTGHZ2013\t092.080,092.090:fàn\n"
    "U+884C\tkMandarin\txíng\n"
    "U+884C\tkTGHZ2013\t131.140:háng 136.100:héng 408.120:xíng\n"
    "U+20000\tkMandarin\thē\n";

inline const char* const kOtherMappings = "# Unihan_OtherMappings.txt\r\n"
                                          "U+4E00\tkGB0\t5027\r\n"
                                          "U+4E00\tkTGH\t2013:1\r\n"
                                          "U+4E07\tkGB0\t4582\r\n"
                                          "U+4E07\tkTGH\t2013:35\r\n"
                                          "U+4E0C\tkGB0\t5564\r\n"
                                          "U+4E42\tkTGH\t2013:3501\r\n"
                                          "U+4E8D\tkTGH\t2013:6501\r\n"
                                          "U+7684\tkBigFive\tAABA\r\n"
                                          "U+7684\tkGB0\t2136\r\n"
                                          "U+7684\tkTGH\t2013:1155\r\n"
                                          "U+77D7\tkTGH\t2013:3500\r\n"
                                          "U+8303\tkTGH\t2013:1010\r\n"
                                          "U+883C\tkTGH\t2013:8105\r\n"
                                          "U+884C\tkTGH\t2013:483\r\n"
                                          "U+9F49\tkTGH\t2013:6500\r\n";

inline const char* const kIrgSources = "# Unihan_IRGSources.txt\n"
                                       "U+3400\tkTotalStrokes\t5\n"
                                       "U+4E00\tkTotalStrokes\t1\n"
                                       "U+4E07\tkTotalStrokes\t3\n"
                                       "U+7684\tkIRG_GSource\tG0-3544\n"
                                       "U+7684\tkTotalStrokes\t8\n"
                                       "U+8303\tkTotalStrokes\t8 9\n"
                                       "U+884C\tkTotalStrokes\t6\n"
                                       "U+F900\tkTotalStrokes\t10\n"
                                       "U+20000\tkTotalStrokes\t2"; // no final line break

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray bzip2(const QByteArray& bytes) {
    QByteArray out(bytes.size() + bytes.size() / 100 + 600, Qt::Uninitialized);
    auto size = unsigned(out.size());
    QByteArray in = bytes; // the library takes a non-const pointer
    if (BZ2_bzBuffToBuffCompress(out.data(), &size, in.data(), unsigned(in.size()), 9, 0, 0) !=
        BZ_OK)
        return {};
    out.truncate(size);
    return out;
}

// Writes the three files into dir, as .txt or as .txt.bz2.
inline bool writeUnihanExtract(const QString& dir, bool compressed) {
    const QDir d(dir);
    for (const auto& [name, text] : {std::pair{"Unihan_Readings", kReadings},
                                     std::pair{"Unihan_OtherMappings", kOtherMappings},
                                     std::pair{"Unihan_IRGSources", kIrgSources}}) {
        const QByteArray bytes(text);
        const QString base = d.filePath(QString::fromLatin1(name));
        if (!(compressed ? writeFile(base + ".txt.bz2", bzip2(bytes))
                         : writeFile(base + ".txt", bytes)))
            return false;
    }
    return true;
}

} // namespace fixtures
