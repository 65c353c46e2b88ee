#include "host/file_dialog.h"
#include "host/text_codec.h"

#include <QTest>

using text_codec::Encoding;

namespace {

constexpr Encoding kAll[] = {Encoding::Gbk,           Encoding::Gb18030,      Encoding::Utf8,
                             Encoding::Utf8Bom,       Encoding::Utf16Le,      Encoding::Utf16Be,
                             Encoding::Utf16LeNoMark, Encoding::Utf16BeNoMark};

QByteArray fourByte(int linear) {
    QByteArray b(4, Qt::Uninitialized);
    b[0] = char(0x81 + linear / 12600);
    b[1] = char(0x30 + linear / 1260 % 10);
    b[2] = char(0x81 + linear / 10 % 126);
    b[3] = char(0x30 + linear % 10);
    return b;
}

QByteArray afterMark(const QByteArray& bytes, Encoding e) {
    return bytes.mid(text_codec::byteOrderMark(e).size());
}

} // namespace

class TstTextCodec : public QObject {
    Q_OBJECT

  private slots:
    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        const int gbk = int(Encoding::Gbk), gb = int(Encoding::Gb18030);
        // Every code point and every code is checked below; these pin the forms
        // (the euro's two forms are the open-and-save tests').
        QTest::newRow("gbk byte ff") << QStringLiteral("a\uF8F5") << gbk << QByteArray("a\xFF");
        QTest::newRow("f8f5, gb18030")
            << QStringLiteral("\uF8F5") << gb << QByteArray("\x83\x39\xFE\x30");
        // Characters whose forms differ between versions of the tables.
        QTest::newRow("e7c7") << QStringLiteral("\uE7C7") << gbk << QByteArray("\x81\x35\xF4\x37");
        QTest::newRow("1e3f") << QStringLiteral("\u1E3F") << gbk << QByteArray("\xA8\xBC");
        QTest::newRow("e815") << QStringLiteral("\uE815") << gbk << QByteArray("\x83\x36\xC9\x34");
        QTest::newRow("2e81") << QStringLiteral("\u2E81") << gbk << QByteArray("\xFE\x50");
        QTest::newRow("utf-8 mark, then U+FEFF as text")
            << QStringLiteral("\uFEFF中") << int(Encoding::Utf8Bom)
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF\xE4\xB8\xAD");
        QTest::newRow("utf-16 be, pair") << QStringLiteral("\U0001F600\r") << int(Encoding::Utf16Be)
                                         << QByteArray("\xFE\xFF\xD8\x3D\xDE\x00\0\r", 8);
        QTest::newRow("utf-16 le without a mark")
            << QStringLiteral("中\r") << int(Encoding::Utf16LeNoMark)
            << QByteArray("\x2D\x4E\r\0", 4);
        QTest::newRow("utf-16 be without a mark")
            << QStringLiteral("中\r") << int(Encoding::Utf16BeNoMark)
            << QByteArray("\x4E\x2D\0\r", 4);
    }

    void roundTrip() {
        QFETCH(QString, text);
        QFETCH(int, encoding);
        QFETCH(QByteArray, bytes);
        const auto e = Encoding(encoding);
        QCOMPARE(text_codec::encode(text, e), bytes);
        const text_codec::Decoded d = text_codec::decodeAs(afterMark(bytes, e), e);
        QCOMPARE(d.text, text);
        QVERIFY(!d.invalidBytes);
    }

    // decode(encode(c)) == c for all 1,112,064 code points, in every encoding.
    void everyCodePointRoundTrips() {
        QString all;
        all.reserve(0x110000 * 2);
        for (char32_t c = 0; c <= 0x10FFFF; ++c)
            if (c < 0xD800 || c > 0xDFFF)
                all += QStringView(QChar::fromUcs4(c));
        for (const Encoding e : kAll) {
            const QByteArray bytes = text_codec::encode(all, e);
            const text_codec::Decoded d = text_codec::decodeAs(afterMark(bytes, e), e);
            QVERIFY2(d.text == all, qPrintable(QString::number(int(e))));
            QVERIFY(!d.invalidBytes);
        }
    }

    // encode(decode(b)) == b for every two-byte and four-byte GB18030 code;
    // a GBK document writes the two characters that have a GBK form in it.
    void everyGbCodeRoundTrips() {
        QByteArray codes, asGbk;
        codes.reserve(4 * 1112000);
        asGbk.reserve(4 * 1112000);
        auto add = [&](const QByteArray& code) {
            codes += code;
            asGbk += code == "\xA2\xE3"           ? QByteArray("\x80")
                     : code == "\x83\x39\xFE\x30" ? QByteArray("\xFF")
                                                  : code;
        };
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail)
                if (trail != 0x7F)
                    add(QByteArray(1, char(lead)) + char(trail));
        for (int linear = 0; linear < 39420; ++linear)
            add(fourByte(linear));
        for (int linear = 189000; linear <= 189000 + 0xFFFFF; ++linear)
            add(fourByte(linear));
        const text_codec::GbDecoded d = text_codec::decodeGb(codes);
        QVERIFY(!d.invalid);
        QCOMPARE(d.text.count(QChar(0xFFFD)), 1); // U+FFFD's own code
        QVERIFY(text_codec::encode(d.text, Encoding::Gb18030) == codes);
        QVERIFY(text_codec::encode(d.text, Encoding::Gbk) == asGbk);
    }

    void unreadableBytes_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, const QByteArray& bytes, const QString& text,
                      Encoding e = Encoding::Gbk) {
            QTest::newRow(name) << int(e) << bytes << text;
        };
        row("cut-off lead", "a\x81", QStringLiteral("a\uFFFD"));
        row("lead before a space", "\x81 b", QStringLiteral("\uFFFD b"));
        row("cut-off four-byte code", "\x81\x30\x81", QStringLiteral("\uFFFD0\uFFFD"));
        row("unassigned four-byte code", "\x85\x30\x81\x30x", QStringLiteral("\uFFFDx"));
        row("past U+10FFFF", "\xE3\x32\x9A\x36", QStringLiteral("\uFFFD"));
        row("utf-16 odd length", QByteArray("a\0b", 3), QStringLiteral("a\uFFFD"),
            Encoding::Utf16Le);
        row("utf-16 lone surrogate", QByteArray("\xD8\x00\0a", 4), QStringLiteral("\uFFFDa"),
            Encoding::Utf16Be);
    }

    void unreadableBytes() {
        QFETCH(int, encoding);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const text_codec::Decoded d = text_codec::decodeAs(bytes, Encoding(encoding));
        QCOMPARE(d.text, text);
        QVERIFY(d.invalidBytes);
    }

    void unpairedSurrogatesBecomeQuestionMarks() {
        const QString text =
            QStringLiteral("a") + QChar(0xDE00) + QStringLiteral("中\U0001F600") + QChar(0xD83D);
        QCOMPARE(text_codec::countUnencodable(text), 2);
        const QString expected = QStringLiteral("a?中\U0001F600?");
        for (const Encoding e : kAll) {
            const QByteArray bytes = text_codec::encode(text, e);
            QCOMPARE(bytes, text_codec::encode(expected, e));
            QCOMPARE(text_codec::decodeAs(afterMark(bytes, e), e).text, expected);
        }
    }

    void dialogFilters() {
        QCOMPARE(fileDialogFilters(QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|")),
                 QStringList({QStringLiteral("文本文件(*.txt)"), QStringLiteral("所有文件(*.*)")}));
        QCOMPARE(fileDialogFilters(QStringLiteral("Text|*.txt|")),
                 QStringList({QStringLiteral("Text (*.txt)")}));
        QVERIFY(fileDialogFilters(QString()).isEmpty());
        // Only a pattern with one plain suffix gives a name typed without one a suffix.
        QCOMPARE(defaultSuffixFor(QStringLiteral("*.txt")), QStringLiteral("txt"));
        QCOMPARE(defaultSuffixFor(QStringLiteral("*.*")), QString());
        QCOMPARE(defaultSuffixFor(QStringLiteral("*.txt;*.log")), QString());
    }
};

QTEST_MAIN(TstTextCodec)
#include "tst_text_codec.moc"
