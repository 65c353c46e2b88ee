#include "host/file_dialog.h"
#include "host/text_codec.h"

#include <QTest>

using text_codec::Encoding;

class TstTextCodec : public QObject {
    Q_OBJECT

  private slots:
    void gbkRoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("abc") << QByteArray("abc");
        QTest::newRow("chinese") << QStringLiteral("中文") << QByteArray("\xD6\xD0\xCE\xC4");
        QTest::newRow("full-width")
            << QStringLiteral("\uFF01\u3000") << QByteArray("\xA3\xA1\xA1\xA1");
        QTest::newRow("euro is one byte in GBK") << QStringLiteral("\u20AC") << QByteArray("\x80");
        QTest::newRow("not in GBK: four GB18030 bytes") << QStringLiteral("a\u0080b")
                                                        << QByteArray("a\x81\x30\x81\x30"
                                                                      "b");
        QTest::newRow("nbsp") << QStringLiteral("\u00A0") << QByteArray("\x81\x30\x84\x32");
        QTest::newRow("outside the BMP")
            << QStringLiteral("\U0001F600") << QByteArray("\x94\x39\xFC\x36");
        QTest::newRow("trail byte 0x80") << QStringLiteral("\u4E90") << QByteArray("\x81\x80");
        QTest::newRow("mixed") << QStringLiteral("x\u20AC中\u0080\r\n")
                               << QByteArray("x\x80\xD6\xD0\x81\x30\x81\x30\r\n");
    }

    void gbkRoundTrip() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(text_codec::encodeGbk(text), bytes);
        bool invalid = true;
        QCOMPARE(text_codec::decodeGbk(bytes, &invalid), text);
        QVERIFY(!invalid);
    }

    void unpairedSurrogateIsTheOnlyLoss() {
        const QString text = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("中");
        QCOMPARE(text_codec::encodeGbk(text), QByteArray("a?\xD6\xD0"));
    }

    void detection_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("invalid");
        QTest::newRow("ascii") << QByteArray("plain") << int(Encoding::Gbk)
                               << QStringLiteral("plain") << false;
        QTest::newRow("gbk") << QByteArray("\xD6\xD0") << int(Encoding::Gbk) << QStringLiteral("中")
                             << false;
        QTest::newRow("utf-8") << QByteArray("\xE4\xB8\xAD") << int(Encoding::Utf8)
                               << QStringLiteral("中") << false;
        QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBFok") << int(Encoding::Utf8Bom)
                                         << QStringLiteral("ok") << false;
        QTest::newRow("invalid in both")
            << QByteArray("a\xFE") << int(Encoding::Gbk) << QStringLiteral("a\uFFFD") << true;
        QTest::newRow("empty") << QByteArray() << int(Encoding::Gbk) << QString() << false;
    }

    void detection() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(QString, text);
        QFETCH(bool, invalid);
        const text_codec::Decoded d = text_codec::decode(bytes);
        QCOMPARE(int(d.encoding), encoding);
        QCOMPARE(d.text, text);
        QCOMPARE(d.invalidBytes, invalid);
    }

    void utf8KeepsItsMark() {
        QCOMPARE(text_codec::encode(QStringLiteral("中"), Encoding::Utf8Bom),
                 QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD"));
        QCOMPARE(text_codec::encode(QStringLiteral("中"), Encoding::Utf8),
                 QByteArray("\xE4\xB8\xAD"));
    }

    void dialogFilters() {
        QCOMPARE(fileDialogFilters(QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|")),
                 QStringList({QStringLiteral("文本文件(*.txt)"), QStringLiteral("所有文件(*.*)")}));
        QCOMPARE(fileDialogFilters(QStringLiteral("Text|*.txt|")),
                 QStringList({QStringLiteral("Text (*.txt)")}));
        QVERIFY(fileDialogFilters(QString()).isEmpty());
        QVERIFY(!noFileChosen().contains(u'.'));
    }
};

QTEST_MAIN(TstTextCodec)
#include "tst_text_codec.moc"
