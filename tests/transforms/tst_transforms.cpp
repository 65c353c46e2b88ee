#include "transforms/case_reversal.h"
#include "transforms/separator_insertion.h"
#include "transforms/word_reversal.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTest>
#include <limits>

namespace {

const QString kEmoji = QStringLiteral("\U0001F600");   // a surrogate pair
const QString kExtB = QStringLiteral("\U00020000");    // CJK Extension B, also a pair
const QString kDeseret = QStringLiteral("\U00010428"); // a letter outside the BMP

// Characters as written down: a surrogate pair is one, every other unit is one.
QString referenceReversed(const QString& s) {
    QStringList characters;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            characters.append(s.mid(i, 2));
            ++i;
        } else {
            characters.append(s.mid(i, 1));
        }
    }
    std::reverse(characters.begin(), characters.end());
    return characters.join(QString());
}

// Word reversal step by step: cut at every separator, reverse each piece,
// append it and a separator, then keep the original length.
QString referenceWordReversal(const QString& t, const QString& s) {
    QString r;
    for (const QString& piece : t.split(s))
        r += referenceReversed(piece) + s;
    return r.left(t.size());
}

// Separator insertion one insertion at a time, each one a full rewrite of the
// text followed by the removal of its trailing spaces. Points move on by the
// length of the separators already inserted. Empty result when nothing was inserted.
std::optional<QString> referenceInsertion(const QString& t, const QString& pattern,
                                          const QString& s) {
    if (pattern.isEmpty())
        return std::nullopt;
    QString u = t;
    qint64 c = 0;
    auto insert = [&](qint64 p) {
        const QString left = u.left(std::min<qint64>(p, u.size()));
        const QString right = u.mid(left.size());
        u = left + s + right;
        while (u.endsWith(u' '))
            u.chop(1);
        ++c;
    };
    if (!pattern.contains(u' ')) {
        const qint64 n = pattern.toLongLong();
        if (n >= 1)
            for (qint64 k = n - 1; k <= t.size(); k += n)
                insert(k + 1 + c * s.size());
    } else {
        qint64 g = 0;
        for (const QString& part : pattern.split(u' ')) {
            if (part.isEmpty())
                continue;
            g += part.toLongLong();
            insert(g + c * s.size());
        }
    }
    if (c == 0)
        return std::nullopt;
    return u;
}

QString randomText(QRandomGenerator& rng, int maxLength, const QString& alphabet) {
    QString s;
    const int n = rng.bounded(maxLength + 1);
    for (int i = 0; i < n; ++i)
        s += alphabet[rng.bounded(alphabet.size())];
    return s;
}

} // namespace

class TstTransforms : public QObject {
    Q_OBJECT

  private slots:
    void caseConversion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        auto row = [](const char* name, const QString& t, const QString& u, const QString& l) {
            QTest::newRow(name) << t << u << l;
        };
        row("ascii and chinese", QStringLiteral("abc Hello 世界"), QStringLiteral("ABC HELLO 世界"),
            QStringLiteral("abc hello 世界"));
        row("chinese and digits", QStringLiteral("世界2024，。"), QStringLiteral("世界2024，。"),
            QStringLiteral("世界2024，。"));
        row("accented and greek", QStringLiteral("éÀωΣ"), QStringLiteral("ÉÀΩΣ"),
            QStringLiteral("éàωσ"));
        row("length-changing letters stay", QStringLiteral("ßŉ"), QStringLiteral("ßŉ"),
            QStringLiteral("ßŉ"));
        row("full-width latin", QStringLiteral("ａＢ"), QStringLiteral("ＡＢ"),
            QStringLiteral("ａｂ"));
        row("pairs stay per unit", kDeseret + kEmoji, kDeseret + kEmoji, kDeseret + kEmoji);
        row("line breaks", QStringLiteral("a\r\nB"), QStringLiteral("A\r\nB"),
            QStringLiteral("a\r\nb"));
    }

    void caseConversion() {
        QFETCH(QString, text);
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QCOMPARE(transforms::upperCase(text), upper);
        QCOMPARE(transforms::lowerCase(text), lower);
    }

    void reversal_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("abc") << QStringLiteral("abc") << QStringLiteral("cba");
        QTest::newRow("crlf mirrored") << QStringLiteral("ab\r\ncd") << QStringLiteral("dc\n\rba");
        QTest::newRow("emoji kept") << (u'a' + kEmoji + u'b') << (u'b' + kEmoji + u'a');
        QTest::newRow("two pairs") << (kEmoji + kExtB) << (kExtB + kEmoji);
        QTest::newRow("lone high stays")
            << (QString(QChar(0xD83D)) + u'x') << (u'x' + QString(QChar(0xD83D)));
        QTest::newRow("lone low stays")
            << (u'x' + QString(QChar(0xDE00))) << (QString(QChar(0xDE00)) + u'x');
    }

    void reversal() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(transforms::reversed(text), expected);
        QCOMPARE(transforms::reversed(expected), text);
    }

    void wordReversal_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QString& t, const QString& s, const QString& e) {
            QTest::newRow(name) << t << s << e;
        };
        row("space", QStringLiteral("hello world"), QStringLiteral(" "),
            QStringLiteral("olleh dlrow"));
        row("empty pieces", QStringLiteral("ab,,cd,"), QStringLiteral(","),
            QStringLiteral("ba,,dc,"));
        row("no separator", QStringLiteral("abc"), QStringLiteral(","), QStringLiteral("cba"));
        row("across a line break", QStringLiteral("ab cd\r\nef gh"), QStringLiteral(" "),
            QStringLiteral("ba fe\n\rdc hg"));
        row("separator of two", QStringLiteral("ab--cd---e"), QStringLiteral("--"),
            QStringLiteral("ba--dc--e-"));
        row("pairs kept", QStringLiteral("a") + kEmoji + QStringLiteral(" b") + kExtB,
            QStringLiteral(" "), kEmoji + QStringLiteral("a ") + kExtB + QStringLiteral("b"));
        row("empty separator", QStringLiteral("abc"), QString(), QStringLiteral("cba"));
    }

    void wordReversal() {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QCOMPARE(transforms::reverseWords(text, separator), expected);
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("empty") << QString() << qint64(0);
        QTest::newRow("digits") << QStringLiteral("0042") << qint64(42);
        QTest::newRow("digits then more") << QStringLiteral("12 3") << qint64(12);
        QTest::newRow("no leading digits") << QStringLiteral(" 7") << qint64(0);
        QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999") << qint64(99999999999);
        QTest::newRow("saturates") << QStringLiteral("123456789012345678901234567890")
                                   << std::numeric_limits<qint64>::max();
    }

    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        QCOMPARE(transforms::leadingNumber(text), value);
    }

    void separatorInsertion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected"); // "=" : nothing inserted, the text stays
        auto row = [](const char* name, const char* t, const char* p, const char* s,
                      const char* e) {
            QTest::newRow(name) << QString::fromUtf8(t) << QString::fromUtf8(p)
                                << QString::fromUtf8(s) << QString::fromUtf8(e);
        };
        row("every 3", "abcdefg", "3", "-", "abc-def-g");
        row("every 2, end", "abcdef", "2", "-", "ab-cd-ef-");
        row("every 2, space", "abcdef", "2", " ", "ab cd ef");
        row("every 1", "abc", "1", "-", "a-b-c--");
        row("interval one past the end", "abc", "4", "-", "abc-");
        row("interval beyond", "abc", "5", "-", "=");
        row("interval 0", "abc", "0", "-", "=");
        row("huge interval", "abc", "99999999999999999999999", "-", "=");
        row("groups", "abcdefg", "2 3", "-", "ab-cde-fg");
        row("groups, two spaces", "abcdefg", "2  3", "-", "ab-cde-fg");
        row("group of 0", "abcdefg", "0 2", "-", "-ab-cdefg");
        row("groups beyond", "abc", "2 5", "-", "ab-c-");
        row("huge group", "abc", "1 99999999999999999999999 1", "-", "a-bc--");
        row("only spaces", "abc", "   ", "-", "=");
        row("trailing spaces go", "ab  ", "1", "-", "a-b----");
        row("spaces only, space", "   ", "1", " ", "");
        row("empty separator trims", "ab cd  ", "2", "", "ab cd");
        row("separator of two, interval", "abcdefg", "3", "<>", "abc<>def<>g");
        row("separator of two, groups", "abcdefg", "2 3", "<>", "ab<>cde<>fg");
        row("empty pattern", "abc", "", "-", "=");
    }

    void separatorInsertion() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        const auto result = transforms::insertSeparators(text, pattern, separator);
        QVERIFY(!result.tooLong);
        if (expected == QLatin1String("=")) {
            QCOMPARE(result.insertions, 0);
        } else {
            QVERIFY(result.insertions > 0);
            QCOMPARE(result.text, expected);
        }
    }

    void separatorInsertionRefusesAHugeResult() {
        const auto result = transforms::insertSeparators(QString(1000, u'a'), QStringLiteral("1"),
                                                         QString(1000, u'-'), 100'000);
        QVERIFY(result.tooLong);
        QCOMPARE(result.insertions, 0);
        QVERIFY(result.text.isEmpty());
    }

    void randomInsertionsMatchOneAtATime() {
        QRandomGenerator rng(20261207);
        const QStringList separators = {QStringLiteral("-"),
                                        QStringLiteral(" "),
                                        QStringLiteral("--"),
                                        QStringLiteral("- "),
                                        QStringLiteral(" -"),
                                        QStringLiteral("  "),
                                        QString(),
                                        QStringLiteral("ab")};
        for (int round = 0; round < 20000; ++round) {
            QString text = randomText(rng, 12, QStringLiteral("ab -"));
            if (rng.bounded(3) == 0)
                text += QString(rng.bounded(1, 4), u' ');
            QString pattern;
            if (rng.bounded(2) == 0) {
                pattern = QString::number(rng.bounded(16));
            } else {
                pattern = randomText(rng, 2, QStringLiteral(" "));
                const int groups = rng.bounded(1, 5);
                for (int g = 0; g < groups; ++g)
                    pattern += QString::number(rng.bounded(7)) +
                               QString(rng.bounded(g + 1 < groups ? 1 : 0, 3), u' ');
            }
            const QString separator = separators[rng.bounded(separators.size())];
            const auto expected = referenceInsertion(text, pattern, separator);
            const auto result = transforms::insertSeparators(text, pattern, separator);
            const QString what = QLatin1Char('"') + text + QStringLiteral("\" / \"") + pattern +
                                 QStringLiteral("\" / \"") + separator + QLatin1Char('"');
            QVERIFY2(expected.has_value() == (result.insertions > 0), qPrintable(what));
            if (expected)
                QVERIFY2(result.text == *expected, qPrintable(what + QStringLiteral(" gave \"") +
                                                              result.text + QStringLiteral("\"")));
        }
    }

    void randomWordReversalsMatchPieceByPiece() {
        QRandomGenerator rng(11);
        const QString alphabet = QStringLiteral("ab ,") + kEmoji + QStringLiteral("\r\n");
        for (int round = 0; round < 5000; ++round) {
            const QString text = randomText(rng, 14, alphabet);
            QString separator = randomText(rng, 2, QStringLiteral(" ,a"));
            if (separator.isEmpty())
                separator = QStringLiteral(" ");
            QCOMPARE(transforms::reverseWords(text, separator),
                     referenceWordReversal(text, separator));
        }
    }
};

QTEST_APPLESS_MAIN(TstTransforms)
#include "tst_transforms.moc"
