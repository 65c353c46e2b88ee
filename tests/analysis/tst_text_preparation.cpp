// The text preparation against its literal transcription: case, then CR LF,
// spaces, separator and each list entry removed from what the passes before
// it left, one left-to-right pass each, case ignored for the list.
#include "analysis/text_preparation.h"
#include "text_fixtures.h"

#include <QStringList>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Removal as first written down: walk the text, skip a match, keep anything else.
QString oracleRemove(const QString& s, const QString& pattern, Qt::CaseSensitivity cs) {
    if (pattern.isEmpty())
        return s;
    QString out;
    qsizetype i = 0;
    while (i < s.size()) {
        if (QStringView(s).mid(i, pattern.size()).compare(pattern, cs) == 0 &&
            i + pattern.size() <= s.size()) {
            i += pattern.size();
        } else {
            out += s[i];
            ++i;
        }
    }
    return out;
}

QString oraclePrepare(QString s, const preparation::Options& o) {
    if (o.lowerCase)
        for (QChar& c : s)
            c = c.toLower();
    if (o.removeLineBreaks)
        s = oracleRemove(s, fixtures::kCrLf, Qt::CaseSensitive);
    if (o.removeSpaces)
        s = oracleRemove(s, QStringLiteral(" "), Qt::CaseSensitive);
    s = oracleRemove(s, o.separator, Qt::CaseSensitive);
    if (o.removeListed && !o.ignoreList.isEmpty())
        for (const QString& e : o.ignoreList.split(u' '))
            s = oracleRemove(s, e, Qt::CaseInsensitive);
    return s;
}

const QString kUnstated = QStringLiteral("(the transcription's)");

} // namespace

class TstTextPreparation : public QObject {
    Q_OBJECT

  private slots:
    // Every option at random. Texts longer than the chunks the passes work in,
    // so that matches in progress cross from one chunk to the next, and entries
    // that overlap themselves, in an order where earlier removals make later matches.
    void agreesWithTheTranscription_data() {
        QTest::addColumn<QString>("alphabet");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("rounds");
        QTest::newRow("two letters, short") << QStringLiteral("abAB") << 40 << 400;
        QTest::newRow("two letters, past a chunk") << QStringLiteral("abAB") << 40'000 << 12;
        QTest::newRow("hanzi and breaks") << QStringLiteral("字频\r\n aA") << 5'000 << 20;
        QTest::newRow("separators") << QStringLiteral("aAbB \r\n,;-中") << 30 << 3000;
    }
    void agreesWithTheTranscription() {
        QFETCH(QString, alphabet);
        QFETCH(int, length);
        QFETCH(int, rounds);
        QRandomGenerator rng(11);
        for (int round = 0; round < rounds; ++round) {
            const QString text = fixtures::randomText(rng, rng.bounded(length + 1), alphabet);
            QStringList entries;
            for (int k = int(rng.bounded(1, 7)); k > 0; --k)
                entries << fixtures::randomText(rng, rng.bounded(0, 5), alphabet.left(4));
            const int flags = int(rng.bounded(16));
            preparation::Options o;
            o.lowerCase = flags & 1;
            o.removeLineBreaks = flags & 2;
            o.removeSpaces = flags & 4;
            o.removeListed = flags & 8;
            o.separator = fixtures::randomText(rng, rng.bounded(0, 4), alphabet);
            o.ignoreList = entries.join(u' ');
            QCOMPARE(preparation::prepare(text, o), oraclePrepare(text, o));
        }
    }

    // Breaks and spaces removed as by default.
    void cases_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("lower");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("prepared");
        auto row = [](const char* name, const QString& text, const QString& list,
                      const QString& prepared, bool lower = false, const QString& sep = {}) {
            QTest::newRow(name) << text << lower << sep << list << prepared;
        };
        row("defaults", QStringLiteral("a b\r\nb"), QString(), QStringLiteral("abb"));
        row("one pass over CR LF", QStringLiteral("a\r\r\n\n"), QString(), QStringLiteral("a\r\n"));
        row("capital separator after lower-casing", u"aAb"_s, {}, u"aab"_s, true, u"A"_s);
        row("separator with a space after spaces went", u"a b"_s, {}, u"ab"_s, false, u"a b"_s);
        row("separator keeps case", u"aAaA"_s, {}, u"aA"_s, false, u"Aa"_s);
        row("a's around a long separator", QString(100'000, u'a') + u'b' + QString(100'000, u'a'),
            {}, kUnstated, false, QString(5'000, u'a') + u'b');
        row("empty list entry removes nothing", QStringLiteral("aAbBc"), QStringLiteral("a  b"),
            QStringLiteral("c"));
        row("full-width is not half-width", QStringLiteral("!\uFF01"), QStringLiteral("!"),
            QStringLiteral("\uFF01"));
        row("removal brings a later entry together", QStringLiteral("aXYb"),
            QStringLiteral("xy ab"), QString());
        row("no second look within a pass", QStringLiteral("aabb"), QStringLiteral("ab"),
            QStringLiteral("ab"));
        row("self-overlapping entry", QStringLiteral("aaaaa"), QStringLiteral("aa"),
            QStringLiteral("a"));
        row("single units between longer entries", QStringLiteral("aXbYab"),
            QStringLiteral("x y ab b"), QString());
        row("entry with a unit the text lacks", QStringLiteral("abc"), QStringLiteral("az bc"),
            QStringLiteral("a"));
        row("surrogate pairs ignore case too", QStringLiteral("\U00010428x\U00010400X"),
            QStringLiteral("\U00010400x"), kUnstated);
        row("a lone surrogate entry", QStringLiteral("\U0001F600a") + QChar(0xD83D),
            QString(QChar(0xD83D)), kUnstated);
        row("Kelvin sign and k", QStringLiteral("\u212Ak"), QStringLiteral("kK"), kUnstated);
        row("entry longer than a chunk", QString(20'000, u'q') + u'z' + QString(20'001, u'Q'),
            QString(20'000, u'q') + QStringLiteral(" z"), kUnstated);
        QStringList hanzi;
        for (char16_t u = 0x4E00; u < 0x9FA6; ++u)
            hanzi << QString(QChar(u));
        row("every common hanzi listed", QStringLiteral("中xyz文Q"),
            hanzi.join(u' ') + QStringLiteral(" xy"), QStringLiteral("zQ"));
    }
    void cases() {
        QFETCH(QString, text);
        QFETCH(bool, lower);
        QFETCH(QString, separator);
        QFETCH(QString, list);
        QFETCH(QString, prepared);
        preparation::Options o;
        o.lowerCase = lower;
        o.separator = separator;
        o.removeListed = !list.isEmpty();
        o.ignoreList = list;
        const QString result = preparation::prepare(text, o);
        QCOMPARE(result, oraclePrepare(text, o));
        if (prepared != kUnstated)
            QCOMPARE(result, prepared);
    }
};

QTEST_APPLESS_MAIN(TstTextPreparation)
#include "tst_text_preparation.moc"
