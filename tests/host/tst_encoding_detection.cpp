#include "host/encoding_detection.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>
#include <cmath>

using text_codec::Encoding;

namespace {

const QString kLongUtf8 = QStringLiteral("今天天气很好，我们一起去公园散步吧。");

bool isGbFamily(Encoding e) {
    return e == Encoding::Gbk || e == Encoding::Gb18030;
}

// Text of our own: modern prose with digits, Latin words, pinyin and signs.
const QString kOwnText =
    QStringLiteral("第1章 开始\r\n"
                   "2024年3月15日，张先生在北京参加了“中文信息处理”研讨会，会上有30多位专家发言。"
                   "他说：“汉字的编码问题看似简单，其实很复杂——尤其是GBK和UTF-8混用的时候。”\r\n"
                   "会后大家去吃了烤鸭（每人约150元），又聊到Linux、Qt和C++的新版本。"
                   "李老师用拼音写了一句 nǐ hǎo，再用英文写了 café 和 Müller 两个词。\r\n"
                   "温度是25°C，湿度60%；明天可能下雨，请带伞！问题：你准备好了吗？"
                   "一、二、三……数字①②③也常见。《红楼梦》是一部伟大的小说。\r\n");

QString corpus() {
    QString text = kOwnText;
    const QRegularExpression escapes(QStringLiteral("\x1B\\[[0-9;]*m"));
    for (const char* name : {"chinese", "tang300", "song100"}) {
        QFile f(QStringLiteral("/usr/share/games/fortunes/") + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        QString fortunes = QString::fromUtf8(f.readAll()).remove(escapes);
        fortunes.replace(QStringLiteral("\n%\n"), QStringLiteral("\n"));
        text += fortunes;
    }
    return text;
}

} // namespace

class TstEncodingDetection : public QObject {
    Q_OBJECT

  private slots:
    void detection_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("flags"); // invalid, nul, both forms
        auto row = [](const char* name, const QByteArray& bytes, Encoding e, const QString& text,
                      const char* flags = "") {
            QTest::newRow(name) << bytes << int(e) << text << QString::fromUtf8(flags);
        };
        const Encoding gbk = Encoding::Gbk, utf8 = Encoding::Utf8, gb = Encoding::Gb18030;
        row("ascii", "plain", gbk, QStringLiteral("plain"));
        row("long gbk: the scan gives up early",
            QByteArray("\xD6\xD0\xCE\xC4\xA3\xAC").repeated(2000), gbk,
            QStringLiteral("中文，").repeated(2000));
        row("gbk 联通 (an overlong utf-8 form)", "\xC1\xAA\xCD\xA8", gbk, QStringLiteral("联通"));
        row("utf-8 with one stray byte", "\xE4\xBD\xA0\xE5\xA5\xBD\xFF\xE4\xB8\x96\xE7\x95\x8C\r\n",
            utf8, QStringLiteral("你好\uFFFD世界\r\n"), "invalid");
        row("long utf-8 with an encoded surrogate", kLongUtf8.toUtf8() + "\xED\xA0\x80", utf8,
            kLongUtf8 + QString(3, u'\uFFFD'), "invalid");
        // Short Latin words with accents are UTF-8, not two GBK characters.
        for (const char* word : {"nǐ hǎo", "mā má mǎ mà", "café", "Müller", "25°C"})
            row(word, word, utf8, QString::fromUtf8(word));
        // Short UTF-8 outside Chinese prose: a sign GBK has no use for, a lone
        // accented letter, a name, a word of Cyrillic, a line of traditional hanzi.
        for (const char* text :
             {"é", "Copyright © 2023 F", "® 2024", "é Gondim", "Руслан", "Ελληνικά",
              "Санкт-Петербург", "誰謂河廣", "Jürgen Müller", "Ærøskøbing", "naïve café"})
            row(text, text, utf8, QString::fromUtf8(text));
        // Short GBK whose bytes also read as UTF-8 Latin: a run of hanzi wins.
        row("gbk git目录", "git\xC4\xBF\xC2\xBC", gbk, QStringLiteral("git目录"));
        row("gbk 目录1",
            "\xC4\xBF\xC2\xBC"
            "1",
            gbk, QStringLiteral("目录1"));
        row("gbk URL模式", "URL\xC4\xA3\xCA\xBD", gbk, QStringLiteral("URL模式"));
        row("gbk m目录", "m\xC4\xBF\xC2\xBC", gbk, QStringLiteral("m目录"));
        row("gbk 茅台", "\xC3\xA9\xCC\xA8", gbk, QStringLiteral("茅台"));
        row("gbk 没有", "\xC3\xBB\xD3\xD0", gbk, QStringLiteral("没有"));
        row("utf-8 mark", "\xEF\xBB\xBFok", Encoding::Utf8Bom, QStringLiteral("ok"));
        row("four-byte code", "\xD6\xD0\x81\x30\x81\x30", gb, QStringLiteral("中\u0080"));
        row("both forms: gbk", "\x80\x94\x39\xFC\x36", gbk, QStringLiteral("€\U0001F600"));
        // Single bytes with a longer form of the euro or FF: flagged for the save.
        row("euro as 80 and A2 E3", "\x80\xA2\xE3", gbk, QStringLiteral("€€"), "both");
        row("FF and 83 39 FE 30", "\xFF\x83\x39\xFE\x30", gbk, QStringLiteral("\uF8F5\uF8F5"),
            "both");
        row("euro as A2 E3, FF as one byte", "\xA2\xE3\xFF", gbk, QStringLiteral("€\uF8F5"),
            "both");
        row("euro as A2 E3 alone", "\xA2\xE3", gb, QStringLiteral("€"));
        // UTF-16 without a mark, by its NUL bytes; its order and lack of mark kept.
        const QString poem = QStringLiteral("床前明月光\r\n");
        const Encoding le = Encoding::Utf16LeNoMark, be = Encoding::Utf16BeNoMark;
        auto bare = [](const QString& t, Encoding e) { return text_codec::encode(t, e); };
        row("utf-16 le, hanzi and a line break", bare(poem, le), le, poem);
        row("utf-16 be, hanzi and a line break", bare(poem, be), be, poem);
        row("utf-16 le, ascii", bare(QStringLiteral("ab"), le), le, QStringLiteral("ab"));
        row("utf-16 be, ascii", bare(QStringLiteral("ab"), be), be, QStringLiteral("ab"));
        row("utf-16 le, 一 has a NUL on the other side", bare(QStringLiteral("一二三\r\n"), le), le,
            QStringLiteral("一二三\r\n"));
        // NUL bytes that are no UTF-16: read as they are, with the warning.
        row("zeros", QByteArray(8, '\0'), gbk, QString(8, QChar(u'\0')), "nul");
        row("odd length", QByteArray("a\0b", 3), gbk, QString::fromLatin1("a\0b", 3), "nul");
        row("unpaired surrogates either way", QByteArray("\0\xD8\xD8\0", 4), gbk,
            QChar(u'\0') + QStringLiteral("刎") + QChar(u'\0'), "nul");
        // A mark does not make NUL characters text: UTF-32 starts with UTF-16's
        // mark, and its "\r\0" would be saved as a line break.
        row("utf-32 le read after its utf-16 mark",
            QByteArray("\xFF\xFE\0\0A\0\0\0\r\0\0\0\n\0\0\0", 16), Encoding::Utf16Le,
            QString::fromLatin1("\0A\0\r\0\n\0", 7), "nul");
        row("utf-8 mark before a NUL",
            QByteArray("\xEF\xBB\xBF"
                       "a\0b",
                       6),
            Encoding::Utf8Bom, QString::fromLatin1("a\0b", 3), "nul");
    }

    void detection() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(QString, text);
        QFETCH(QString, flags);
        const text_codec::Decoded d = encoding_detection::decode(bytes);
        QCOMPARE(int(d.encoding), encoding);
        QCOMPARE(d.text, text);
        QStringList got;
        if (d.invalidBytes)
            got << QStringLiteral("invalid");
        if (d.nulBytes)
            got << QStringLiteral("nul");
        if (d.bothForms)
            got << QStringLiteral("both");
        QCOMPARE(got.join(u' '), flags);
    }

    void utf8Scan_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("scan"); // valid sequences, invalid bytes, first error
        QTest::newRow("valid") << QByteArray("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80") << "3 0 -1";
        QTest::newRow("overlong two bytes") << QByteArray("a\xC1\xAA") << "0 2 1";
        QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF") << "0 3 0";
        QTest::newRow("overlong four bytes") << QByteArray("\xF0\x80\x80\xAF") << "0 4 0";
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << "0 3 0";
        QTest::newRow("last before surrogates") << QByteArray("\xED\x9F\xBF") << "1 0 -1";
        QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << "0 4 0";
        QTest::newRow("U+10FFFF") << QByteArray("\xF4\x8F\xBF\xBF") << "1 0 -1";
        QTest::newRow("cut off") << QByteArray("\xE4\xB8") << "0 2 0";
        QTest::newRow("lone continuation") << QByteArray("ab\x80") << "0 1 2";
    }

    // Our check agrees with Qt's decoder on what is well-formed.
    void utf8Scan() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, scan);
        const encoding_detection::Utf8Scan s = encoding_detection::scanUtf8(bytes);
        QCOMPARE(
            QStringLiteral("%1 %2 %3").arg(s.validSequences).arg(s.invalidBytes).arg(s.firstError),
            scan);
        QStringDecoder qt(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = qt.decode(bytes);
        QCOMPARE(qt.hasError(), s.invalidBytes > 0);
        QCOMPARE(decoded.contains(QChar(0xFFFD)), s.invalidBytes > 0);
    }

    // Every two-character GBK text of GB2312 hanzi whose bytes read as UTF-8
    // in Greek, Cyrillic, Hebrew or Arabic letters opens as GBK.
    void gbkThatReadsAsForeignUtf8() {
        QList<QByteArray> confusable;
        for (int lead = 0xC2; lead <= 0xDF; ++lead) {
            for (int trail = 0xA1; trail <= 0xBF; ++trail) {
                const QByteArray code = QByteArray(1, char(lead)) + char(trail);
                const QString c = text_codec::decodeGb(code).text;
                const int asUtf8 = (lead & 0x1F) << 6 | (trail & 0x3F);
                if (text_codec::gb2312Level(c[0].unicode()) && asUtf8 >= 0x370 && asUtf8 <= 0x6FF)
                    confusable << code;
            }
        }
        QVERIFY(confusable.size() > 300);
        int wrong = 0;
        for (const QByteArray& a : confusable) {
            for (const QByteArray& b : confusable) {
                const text_codec::Decoded d = encoding_detection::decode(a + b);
                if (!isGbFamily(d.encoding) && ++wrong <= 5)
                    qWarning() << "opened as UTF-8:" << (a + b).toHex(' ');
            }
        }
        QCOMPARE(wrong, 0);
    }

    // Real Chinese text cut at random places, in GBK and in UTF-8: how many
    // pieces of 1-4, 5-16 and 17 or more characters open in their own encoding.
    void realTextPieces() {
        const QString text = corpus();
        QVERIFY2(!text.isEmpty(), "fortunes-zh is not installed (scripts/setup.sh installs it)");
        QRandomGenerator random(20240315);
        constexpr int kPieces = 10000;
        const auto bucketOf = [](qsizetype length) {
            return length <= 4 ? 0 : length <= 16 ? 1 : 2;
        };
        int pieces[3] = {}, right[2][3] = {}, utf16Pieces = 0, utf16Right = 0;
        int shown = 0;
        for (int i = 0; i < kPieces; ++i) {
            const int length = int(std::exp(random.generateDouble() * std::log(200.0)));
            const int start = int(random.bounded(qint64(text.size() - length - 1)));
            QString piece = text.mid(start, length);
            if (piece.back().isHighSurrogate() || piece.front().isLowSurrogate())
                piece = text.mid(start + 1, length); // keep whole characters
            const bool ascii =
                std::all_of(piece.begin(), piece.end(), [](QChar c) { return c.unicode() < 0x80; });
            const int bucket = bucketOf(piece.size());
            ++pieces[bucket];
            for (const bool utf8 : {false, true}) {
                const text_codec::Decoded d = encoding_detection::decode(
                    text_codec::encode(piece, utf8 ? Encoding::Utf8 : Encoding::Gbk));
                const bool own = utf8 ? d.encoding == Encoding::Utf8 : isGbFamily(d.encoding);
                const bool ok = d.text == piece && (own || ascii);
                right[utf8][bucket] += ok;
                if (!ok && ++shown <= 10)
                    qWarning() << (utf8 ? "UTF-8" : "GBK") << "piece" << piece << "opened as"
                               << d.text;
            }
            // Without a mark, UTF-16 shows by the NUL bytes of its ASCII characters;
            // one character alone ("_" 5F 00 or 开 00 5F) may be either byte order.
            const bool someAscii =
                std::any_of(piece.begin(), piece.end(), [](QChar c) { return c.unicode() < 0x80; });
            for (const Encoding e : {Encoding::Utf16LeNoMark, Encoding::Utf16BeNoMark}) {
                if (!someAscii || piece.size() < 2)
                    break;
                ++utf16Pieces;
                const text_codec::Decoded d =
                    encoding_detection::decode(text_codec::encode(piece, e));
                const bool ok = d.encoding == e && d.text == piece;
                utf16Right += ok;
                if (!ok && ++shown <= 10)
                    qWarning() << "UTF-16 piece" << piece << "opened as" << d.text;
            }
        }
        for (int b = 0; b < 3; ++b)
            qInfo("%s characters, %d pieces: GBK %.2f %%, UTF-8 %.2f %%",
                  b == 0   ? "1-4"
                  : b == 1 ? "5-16"
                           : "17+",
                  pieces[b], 100.0 * right[0][b] / pieces[b], 100.0 * right[1][b] / pieces[b]);
        qInfo("UTF-16 without a mark, pieces of 2+ characters with an ASCII one: %d of %d",
              utf16Right, utf16Pieces);
        QCOMPARE(utf16Right, utf16Pieces);
        QCOMPARE(right[0][1], pieces[1]);
        QCOMPARE(right[0][2], pieces[2]);
        QVERIFY(right[0][0] * 10000LL >= pieces[0] * 9999LL);
        QCOMPARE(right[1][2], pieces[2]);
    }
};

QTEST_MAIN(TstEncodingDetection)
#include "tst_encoding_detection.moc"
