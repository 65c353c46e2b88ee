#include "host/piece_text.h"

#include <QRandomGenerator>
#include <QTest>
#include <vector>

class TstPieceText : public QObject {
    Q_OBJECT

  private slots:
    // Random edits against a string model, most of them at or next to the ends
    // of pieces, with surrogate pairs parted and joined there; every version
    // kept along the way still reads as it did when it was taken.
    void randomEditsAgainstAModel_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("longInserts"); // one in so many inserts has a buffer of its own
        QTest::newRow("from empty") << QString() << 0;
        QTest::newRow("from a file") << QStringLiteral("ab\r\n\U0001F600cd").repeated(300) << 7;
    }
    void randomEditsAgainstAModel() {
        QFETCH(QString, start);
        QFETCH(int, longInserts);
        QRandomGenerator rng(99);
        PieceText text(start);
        QString model = start;
        std::vector<std::pair<PieceText, QString>> versions;
        const QString pieces[] = {QStringLiteral("x"),    QStringLiteral("\U0001F600"),
                                  QString(QChar(0xD83D)), QString(QChar(0xDE00)),
                                  QStringLiteral("\r\n"), QStringLiteral("字频")};
        std::vector<qsizetype> ends; // where edits ended: piece boundaries
        for (int step = 0; step < 3000; ++step) {
            qsizetype at = rng.bounded(int(model.size()) + 1);
            if (!ends.empty() && rng.bounded(3) > 0)
                at = std::clamp<qsizetype>(ends[rng.bounded(int(ends.size()))] + rng.bounded(-1, 2),
                                           0, model.size());
            const qsizetype length = std::min<qsizetype>(rng.bounded(4), model.size() - at);
            QString insert;
            for (int i = int(rng.bounded(3)); i > 0; --i)
                insert += pieces[rng.bounded(int(std::size(pieces)))];
            if (longInserts && rng.bounded(longInserts) == 0)
                insert = QString(1100, u'L');
            text.replace(at, length, insert);
            model.replace(at, length, insert);
            ends.push_back(at + insert.size());
            if (ends.size() > 20)
                ends.erase(ends.begin());
            QCOMPARE(text.size(), model.size());
            if (step % 97 == 0)
                versions.emplace_back(text, model);
            const qsizetype from = rng.bounded(int(model.size()) + 1);
            QCOMPARE(text.mid(from, 5), model.mid(from, 5));
            if (from < model.size())
                QCOMPARE(text.at(from), model.at(from));
            if (model.size() > 4000) { // keep it short: cut from the front
                text.replace(0, 3000, QString());
                model.remove(0, 3000);
                ends.clear();
            }
        }
        QCOMPARE(text.toString(), model);
        QVERIFY(text.equals(model));
        QVERIFY(!text.equals(model + u'!'));
        for (const auto& [version, was] : versions)
            QCOMPARE(version.toString(), was);
    }

    // Typing in one place grows one piece; the text of a file is not copied.
    void typingGrowsOnePiece() {
        const QString file = QStringLiteral("0123456789").repeated(1000);
        PieceText text(file);
        QCOMPARE(text.toString().constData(), file.constData()); // shared
        for (int i = 0; i < 500; ++i)
            text.replace(5000 + i, 0, QStringLiteral("k"));
        QCOMPARE(text.pieceCount(), 3);
        for (int i = 0; i < 200; ++i) // Backspace
            text.replace(5499 - i, 1, QString());
        QCOMPARE(text.pieceCount(), 3);
        QCOMPARE(text.toString(), QString(file).insert(5000, QString(300, u'k')));
        // Many places edited one after another stay a shallow tree: no recursion
        // runs out of stack, and the text is right.
        PieceText many(file);
        QString model = file;
        for (int i = 0; i < 20000; ++i) {
            const qsizetype at = (i * 7919) % 9000;
            many.replace(at, 1, QString(QChar(u'A' + i % 26)));
            model[at] = QChar(u'A' + i % 26);
        }
        QVERIFY(many.pieceCount() > 5000);
        QCOMPARE(many.toString(), model);
    }
};

QTEST_MAIN(TstPieceText)
#include "tst_piece_text.moc"
