#include "text_fixtures.h"
#include "transforms/case_reversal.h"
#include "transforms/separator_insertion.h"
#include "transforms/word_reversal.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTest>
#include <limits>

using namespace Qt::StringLiterals;

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

} // namespace

class TstTransforms : public QObject {
    Q_OBJECT

  private slots:
    // op: "upper", "lower", "reverse" (also back again), "number" (the leading one)
    // or "words" with `arg` the separator.
    void transforms_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* op, const QString& t, const QString& e,
                      const QString& arg = QString()) {
            QTest::newRow(name) << QString::fromLatin1(op) << arg << t << e;
        };
        const QChar high(0xD83D), low(0xDE00);
        row("upper, chinese and digits", "upper", u"世界2024，。"_s, u"世界2024，。"_s);
        row("upper, accented and greek", "upper", u"éÀωΣ"_s, u"ÉÀΩΣ"_s);
        row("lower, accented and greek", "lower", u"éÀωΣ"_s, u"éàωσ"_s);
        row("upper, length-changing letters stay", "upper", u"ßŉ"_s, u"ßŉ"_s);
        row("upper, full-width latin", "upper", u"ａＢ"_s, u"ＡＢ"_s);
        row("lower, full-width latin", "lower", u"ａＢ"_s, u"ａｂ"_s);
        row("upper, pairs stay per unit", "upper", kDeseret + kEmoji, kDeseret + kEmoji);
        row("lower, line breaks", "lower", u"a\r\nB"_s, u"a\r\nb"_s);
        row("reverse empty", "reverse", QString(), QString());
        row("reverse crlf mirrored", "reverse", u"ab\r\ncd"_s, u"dc\n\rba"_s);
        row("reverse two pairs", "reverse", kEmoji + kExtB, kExtB + kEmoji);
        row("reverse, lone high stays", "reverse", high + u"x"_s, u"x"_s + high);
        row("reverse, lone low stays", "reverse", u"x"_s + low, low + u"x"_s);
        row("words across a line break", "words", u"ab cd\r\nef gh"_s, u"ba fe\n\rdc hg"_s, u" "_s);
        row("words, empty separator", "words", u"abc"_s, u"cba"_s);
        row("number of nothing", "number", QString(), u"0"_s);
        row("number, digits then more", "number", u"0012 3"_s, u"12"_s);
        row("number, no leading digits", "number", u" 7"_s, u"0"_s);
        row("number beyond 32 bits", "number", u"99999999999"_s, u"99999999999"_s);
        row("number saturates", "number", u"123456789012345678901234567890"_s,
            QString::number(std::numeric_limits<qint64>::max()));
    }

    void transforms() {
        QFETCH(QString, op);
        QFETCH(QString, arg);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        if (op == QLatin1String("upper"))
            QCOMPARE(transforms::upperCase(text), expected);
        else if (op == QLatin1String("lower"))
            QCOMPARE(transforms::lowerCase(text), expected);
        else if (op == QLatin1String("number"))
            QCOMPARE(QString::number(transforms::leadingNumber(text)), expected);
        else if (op == QLatin1String("words"))
            QCOMPARE(transforms::reverseWords(text, arg), expected);
        else
            QCOMPARE(transforms::reversed(text), expected);
        if (op == QLatin1String("reverse"))
            QCOMPARE(transforms::reversed(expected), text);
    }

    void separatorInsertion_data() {
        // Text, pattern, separator, result ("=": nothing inserted, the text stays).
        QTest::addColumn<QStringList>("c");
        auto row = [](const char* name, const QStringList& c) { QTest::newRow(name) << c; };
        row("every 3", {"abcdefg", "3", "-", "abc-def-g"});
        row("every 1", {"abc", "1", "-", "a-b-c--"});
        row("huge interval", {"abc", "99999999999999999999999", "-", "="});
        row("group of 0", {"abcdefg", "0 2", "-", "-ab-cdefg"});
        row("huge group", {"abc", "1 99999999999999999999999 1", "-", "a-bc--"});
        row("only spaces", {"abc", "   ", "-", "="});
        row("trailing spaces go", {"ab  ", "1", "-", "a-b----"});
        row("empty pattern", {"abc", "", "-", "="});
        // A point inside a surrogate pair moves after it; the next point stays.
        row("surrogate pairs kept",
            {"\U0001F600\U0001F600", "1", "-", "\U0001F600--\U0001F600---"});
        row("group ending inside a pair", {"a\U0001F600b", "2 1", "-", "a\U0001F600--b"});
    }

    void separatorInsertion() {
        QFETCH(QStringList, c);
        const QString& expected = c[3];
        const auto result = transforms::insertSeparators(c[0], c[1], c[2]);
        QVERIFY(!result.tooLong);
        if (expected == QLatin1String("=")) {
            QCOMPARE(result.insertions, 0);
        } else {
            QVERIFY(result.insertions > 0);
            QCOMPARE(result.text, expected);
        }
    }

    // 1,000 separators of 1,000 units: a result of 1,001,000 units, over the limit.
    void separatorInsertionRefusesAHugeResult_data() {
        QTest::addColumn<QString>("pattern");
        QTest::newRow("interval") << QStringLiteral("1");
        QStringList groups(1000, QStringLiteral("1"));
        QTest::newRow("group list") << groups.join(u' ');
    }
    void separatorInsertionRefusesAHugeResult() {
        QFETCH(QString, pattern);
        const auto result = transforms::insertSeparators(QString(1000, u'a'), pattern,
                                                         QString(1000, u'-'), 100'000);
        QVERIFY(result.tooLong);
        QCOMPARE(result.insertions, 0);
        QVERIFY(result.text.isEmpty());
    }

    void randomInsertionsMatchOneAtATime() {
        QRandomGenerator rng(20261207);
        const QStringList separators = {"-", " ", "--", "- ", " -", "  ", "", "ab"};
        for (int round = 0; round < 20000; ++round) {
            QString text = fixtures::randomText(rng, rng.bounded(13), QStringLiteral("ab -"));
            if (rng.bounded(3) == 0)
                text += QString(rng.bounded(1, 4), u' ');
            QString pattern;
            if (rng.bounded(2) == 0) {
                pattern = QString::number(rng.bounded(16));
            } else {
                pattern = fixtures::randomText(rng, rng.bounded(3), QStringLiteral(" "));
                const int groups = rng.bounded(1, 5);
                for (int g = 0; g < groups; ++g)
                    pattern += QString::number(rng.bounded(7)) +
                               QString(rng.bounded(g + 1 < groups ? 1 : 0, 3), u' ');
            }
            const QString separator = separators[rng.bounded(separators.size())];
            const auto expected = referenceInsertion(text, pattern, separator);
            const auto result = transforms::insertSeparators(text, pattern, separator);
            const QString what = u"\"%1\" / \"%2\" / \"%3\" gave \"%4\""_s.arg(
                text, pattern, separator, result.text);
            QVERIFY2(expected.has_value() == (result.insertions > 0), qPrintable(what));
            QVERIFY2(!expected || result.text == *expected, qPrintable(what));
        }
    }

    void randomWordReversalsMatchPieceByPiece() {
        QRandomGenerator rng(11);
        const QString alphabet = QStringLiteral("ab ,") + kEmoji + QStringLiteral("\r\n");
        for (int round = 0; round < 5000; ++round) {
            const QString text = fixtures::randomText(rng, rng.bounded(15), alphabet);
            QString separator = fixtures::randomText(rng, rng.bounded(3), QStringLiteral(" ,a"));
            if (separator.isEmpty())
                separator = QStringLiteral(" ");
            QCOMPARE(transforms::reverseWords(text, separator),
                     referenceWordReversal(text, separator));
        }
    }
};

QTEST_APPLESS_MAIN(TstTransforms)
#include "tst_transforms.moc"
