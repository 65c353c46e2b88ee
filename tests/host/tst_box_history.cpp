#include "box_fixtures.h"
#include "dialogs/search_state.h"

#include <QRandomGenerator>
#include <QTest>
#include <optional>
#include <vector>

// Random edits of every kind the box knows (keys, writes, whole-text steps,
// drags), with undo and redo, against a string model of the text and of the
// undo history; the search snapshot taken on the way keeps its text.
class TstBoxHistory : public QObject {
    Q_OBJECT

    // A step of the model's history: the text before it, and where typing may
    // join it (a typed step whose inserted text ends at `end`).
    struct Step {
        QString before;
        QString after;
        bool typed = false;
        qsizetype end = -1;
    };

  private slots:
    void randomEditsUndoAndRedo_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("longLine");
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 6; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("many lines %1").arg(seed)))
                << QStringLiteral("ab\r\nc\r\n\n").repeated(1200) << false << seed;
        for (int seed = 1; seed <= 6; ++seed) {
            QTest::newRow(qPrintable(QStringLiteral("short %1").arg(seed)))
                << QStringLiteral("x\r\ny\rz\nw") << false << seed;
            QTest::newRow(qPrintable(QStringLiteral("long %1").arg(seed)))
                << (QString(1200, u'x') + QStringLiteral("\r\ny")) << true << seed;
        }
    }
    void randomEditsUndoAndRedo() {
        QFETCH(QString, start);
        QFETCH(bool, longLine);
        QFETCH(int, seed);
        QRandomGenerator rng(seed);
        const QStringList pieces = {
            QStringLiteral("a"),      QStringLiteral("\r"),   QStringLiteral("\n"),
            QStringLiteral("\r\n"),   QStringLiteral("中"),   QStringLiteral("\u2029"),
            QStringLiteral("\u2028"), QStringLiteral("b\rc"), QStringLiteral("\U0001F600"),
            QString(QChar(0xD83D)),   QString(QChar(0xDE00))};
        const bool many = start.size() > 5000;
        QString model = start;
        TestBox box(model);
        std::vector<Step> undo, redo;
        // Where the last edits ended: the ends of pieces of the stored text.
        std::vector<qsizetype> ends{exact_text::kPiece};
        SearchState search;
        std::optional<QString> anchored;
        // A caret cannot stand between CR and LF; it goes before the pair.
        auto round = [&](qsizetype k) {
            return (k > 0 && exact_text::pairAt(model, k - 1)) ? k - 1 : k;
        };
        auto pairAt = [&](qsizetype i) {
            return i >= 0 && i + 1 < model.size() &&
                   (exact_text::pairAt(model, i) ||
                    (model[i].isHighSurrogate() && model[i + 1].isLowSurrogate()));
        };
        auto randomText = [&] {
            QString t;
            for (int i = int(rng.bounded(4)); i > 0; --i)
                t += pieces[rng.bounded(int(pieces.size()))];
            if (many && rng.bounded(4) == 0)
                t += QStringLiteral("x\r\n").repeated(int(rng.bounded(1500)));
            return t;
        };
        auto push = [&](const QString& before, bool typed, qsizetype end) {
            undo.push_back({before, model, typed, end});
            redo.clear();
        };
        for (int step = 0; step < (many ? 600 : 1500); ++step) {
            const int where = int(rng.bounded(3));
            const qsizetype k =
                where == 0 && longLine ? rng.bounded(1, 3) * exact_text::kPiece + rng.bounded(-3, 4)
                : where == 1           ? std::max<qsizetype>(
                                   ends[rng.bounded(int(ends.size()))] + rng.bounded(-1, 2), 0)
                             : rng.bounded(int(model.size()) + 2);
            const qsizetype l = many && rng.bounded(3) == 0 ? rng.bounded(6000) : rng.bounded(4);
            box.setSelStart(int(k));
            box.setSelLength(int(l));
            const qsizetype s = round(std::min(k, model.size()));
            const qsizetype e = round(std::min(s + l, model.size()));
            QCOMPARE(box.selStart(), int(s));
            QCOMPARE(box.selLength(), int(e - s));
            QCOMPARE(box.selText(), model.mid(s, e - s));
            const QString before = model;
            switch (rng.bounded(13)) {
            case 0:
            case 1: { // typing one key
                const QString c = rng.bounded(3) == 0 ? QStringLiteral(" ") : QStringLiteral("字");
                typeText(&box, c);
                model.replace(s, e - s, c);
                if (s == e && c != QLatin1String(" ") && !undo.empty() && undo.back().typed &&
                    undo.back().end == s) {
                    undo.back().after = model;
                    undo.back().end = s + 1;
                    redo.clear();
                } else if (model != before) { // a key over the same character changes nothing
                    push(before, true, s + 1);
                }
                break;
            }
            case 2:
                QTest::keyClick(&box, Qt::Key_Return);
                model.replace(s, e - s, QStringLiteral("\r\n"));
                push(before, true, s + 2);
                break;
            case 3:   // the selection, else the code point or CR LF before the caret
            case 4: { // the same after the caret
                const bool back = rng.bounded(2);
                QTest::keyClick(&box, back ? Qt::Key_Backspace : Qt::Key_Delete);
                qsizetype a = s, b = e;
                if (s == e && back)
                    a -= pairAt(s - 2) ? 2 : int(s >= 1);
                else if (s == e)
                    b += pairAt(s) ? 2 : int(s < model.size());
                model.remove(a, b - a);
                if (model != before)
                    push(before, true, -1);
                break;
            }
            case 5: {
                const QString t = randomText();
                box.setSelText(t);
                model.replace(s, e - s, t);
                QCOMPARE(box.selStart(), int(round(s + t.size()))); // the caret after it
                if (!(e == s && t.isEmpty()))
                    push(before, false, -1);
                ends.push_back(s + t.size());
                if (ends.size() > 8)
                    ends.erase(ends.begin());
                break;
            }
            case 6: {
                QString t = model;
                if (!t.isEmpty() && rng.bounded(2))
                    t.replace(rng.bounded(int(t.size())), 1, randomText());
                else
                    t.insert(rng.bounded(int(t.size()) + 1), randomText());
                box.setTextAsStep(t);
                model = t;
                if (model != before)
                    push(before, false, -1);
                break;
            }
            case 7: {
                const qsizetype at = rng.bounded(int(model.size()) + 1);
                if (e == s || (at >= s && at <= e) || (at > 0 && exact_text::pairAt(model, at - 1)))
                    break; // onto itself, or before the pair anyway
                const bool move = rng.bounded(2);
                box.dropSelection(at, move);
                const QString moved = model.mid(s, e - s);
                if (move) {
                    model.remove(s, e - s);
                    model.insert(at > s ? at - (e - s) : at, moved);
                } else {
                    model.insert(at, moved);
                }
                push(before, false, -1);
                break;
            }
            case 8:
            case 9:
                box.undoEdit();
                if (!undo.empty()) {
                    model = undo.back().before;
                    redo.push_back(undo.back());
                    undo.pop_back();
                }
                break;
            case 10:
                box.redoEdit();
                if (!redo.empty()) {
                    model = redo.back().after;
                    undo.push_back(redo.back());
                    redo.pop_back();
                }
                break;
            case 11:
                AnchorSearchFromBox(search, box.content(), box.selStart());
                anchored = model;
                break;
            default:
                if (anchored) {
                    QVERIFY(search.SearchText == *anchored);
                    QCOMPARE(search.SearchText.string(), *anchored);
                }
                break;
            }
            QCOMPARE(box.text(), model);
            QVERIFY(box.textIs(model));
            QCOMPARE(box.textSize(), model.size());
            QCOMPARE(box.canUndo(), !undo.empty());
            if (many) {
                for (qsizetype p = 0; p <= model.size(); p += 1 + rng.bounded(40)) {
                    box.setSelStart(int(p));
                    QVERIFY2(box.selStart() == round(p),
                             "a position of the text is shown elsewhere");
                }
            }
            checkShown(box, model, longLine);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("after step %1").arg(step)));
            if (model.size() > (longLine ? 1400 : many ? 30000 : 80)) {
                box.setText(model = start);
                undo.clear();
                redo.clear();
            }
        }
    }

    // A surrogate pair written or typed at every place of a line cut for
    // display, a key at the end, Backspace over the pair and undo: no cut
    // parts the pair and the view shows every unit.
    void emojiEverywhereInALongLine() {
        const QString start = QString(2100, u'a') + QStringLiteral("\r\nend");
        const QString emoji = QStringLiteral("\U0001F600");
        TestBox box(start);
        auto check = [&](const QString& model, const char* what, int p) {
            QCOMPARE(box.text(), model);
            checkShown(box, model, true);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("%1 at %2").arg(what).arg(p)));
        };
        for (int p = 0; p <= 2100; ++p) {
            QString model = start;
            box.setSelStart(p);
            if (p % 2)
                box.setSelText(emoji);
            else // a key that gives the whole pair
                QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, emoji, Qt::NoModifier);
            check(model.insert(p, emoji), "insert", p);
            box.setSelStart(2102);
            QTest::keyClicks(&box, QStringLiteral("Z"));
            check(model.insert(2102, u'Z'), "Z", p);
            box.setSelStart(p + 2);
            QTest::keyClick(&box, Qt::Key_Backspace);
            check(model.remove(p, 2), "backspace", p);
            box.undoEdit();
            check(model.insert(p, emoji), "undo", p);
            if (QTest::currentTestFailed())
                return;
            box.setText(start);
        }
    }
};

QTEST_MAIN(TstBoxHistory)
#include "tst_box_history.moc"
