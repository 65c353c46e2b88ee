#include "dialogs/search_state.h"
#include "form_fixtures.h"
#include "host/exact_text.h"

#include <QRandomGenerator>
#include <QTest>
#include <optional>
#include <vector>

// Random edits of every kind the box knows (keys, writes, whole-text steps,
// drags), with undo and redo, against a string model of the text and of the
// undo history; the search snapshot taken on the way keeps its text.
class TstBoxHistory : public QObject {
    Q_OBJECT

    struct Box : TextBox {
        using TextBox::dropSelection;
        explicit Box(const QString& text) {
            show();
            setFocus();
            setText(text);
        }
    };
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
        const QStringList pieces = {QStringLiteral("a"),   QStringLiteral("\r"),
                                    QStringLiteral("\n"),  QStringLiteral("\r\n"),
                                    QStringLiteral("中"),  QStringLiteral("\u2029"),
                                    QStringLiteral("b\rc")};
        QString model = start;
        Box box(model);
        std::vector<Step> undo, redo;
        SearchState search;
        std::optional<QString> anchored;
        auto round = [&](qsizetype k) {
            return (k > 0 && exact_text::pairAt(model, k - 1)) ? k - 1 : k;
        };
        auto randomText = [&] {
            QString t;
            for (int i = int(rng.bounded(4)); i > 0; --i)
                t += pieces[rng.bounded(int(pieces.size()))];
            if (start.size() > 5000 && rng.bounded(4) == 0)
                t += QStringLiteral("x\r\n").repeated(int(rng.bounded(1500)));
            return t;
        };
        auto push = [&](const QString& before, bool typed, qsizetype end) {
            undo.push_back({before, model, typed, end});
            redo.clear();
        };
        QStringList log;
        for (int step = 0; step < (start.size() > 5000 ? 600 : 1500); ++step) {
            const qsizetype k = longLine && rng.bounded(2)
                                    ? rng.bounded(1, 3) * exact_text::kPiece + rng.bounded(-3, 4)
                                    : rng.bounded(int(model.size()) + 2);
            const bool many = start.size() > 5000;
            const qsizetype l = many && rng.bounded(3) == 0 ? rng.bounded(6000) : rng.bounded(4);
            box.setSelStart(int(k));
            box.setSelLength(int(l));
            const qsizetype s = round(std::min(k, model.size()));
            const qsizetype e = round(std::min(s + l, model.size()));
            QCOMPARE(box.selStart(), int(s));
            QCOMPARE(box.selLength(), int(e - s));
            const QString before = model;
            const int action = int(rng.bounded(12));
            QString what;
            switch (action) {
            case 0:
            case 1: { // typing one key
                const QString c = rng.bounded(3) == 0 ? QStringLiteral(" ") : QStringLiteral("字");
                what = QStringLiteral("type '%1' at %2 len %3").arg(c).arg(s).arg(e - s);
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
                what = QStringLiteral("enter at %1 len %2").arg(s).arg(e - s);
                QTest::keyClick(&box, Qt::Key_Return);
                model.replace(s, e - s, QStringLiteral("\r\n"));
                push(before, true, s + 2);
                break;
            case 3: {
                what = QStringLiteral("backspace at %1 len %2").arg(s).arg(e - s);
                QTest::keyClick(&box, Qt::Key_Backspace);
                qsizetype a = s;
                if (s == e)
                    a -= (s >= 2 && exact_text::pairAt(model, s - 2)) ? 2 : int(s >= 1);
                model.remove(a, e - a);
                if (model != before)
                    push(before, true, -1);
                break;
            }
            case 4: {
                const QString t = randomText();
                what = QStringLiteral("write %1 at %2 len %3").arg(t.size()).arg(s).arg(e - s);
                box.setSelText(t);
                model.replace(s, e - s, t);
                if (!(e == s && t.isEmpty()))
                    push(before, false, -1);
                break;
            }
            case 5: {
                QString t = model;
                if (!t.isEmpty() && rng.bounded(2))
                    t.replace(rng.bounded(int(t.size())), 1, randomText());
                else
                    t.insert(rng.bounded(int(t.size()) + 1), randomText());
                what = QStringLiteral("whole");
                box.setTextAsStep(t);
                model = t;
                if (model != before)
                    push(before, false, -1);
                break;
            }
            case 6: {
                if (e == s)
                    break;
                const qsizetype at = rng.bounded(int(model.size()) + 1);
                if (at >= s && at <= e)
                    break;
                if (exact_text::pairAt(model, at - 1) && at > 0)
                    break; // a drop lands before the pair anyway
                const bool move = rng.bounded(2);
                what = QStringLiteral("drag %1 %2..%3 to %4").arg(move).arg(s).arg(e).arg(at);
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
            case 7:
            case 8:
                what = QStringLiteral("undo");
                box.undoEdit();
                if (!undo.empty()) {
                    model = undo.back().before;
                    redo.push_back(undo.back());
                    undo.pop_back();
                }
                break;
            case 9:
                what = QStringLiteral("redo");
                box.redoEdit();
                if (!redo.empty()) {
                    model = redo.back().after;
                    undo.push_back(redo.back());
                    redo.pop_back();
                }
                break;
            case 10:
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
            // The last steps, to tell what went wrong.
            log << QStringLiteral("%1: %2").arg(step).arg(what);
            if (log.size() > 8)
                log.removeFirst();
            if (box.text() != model)
                qWarning().noquote() << log.join(u'\n');
            QCOMPARE(box.text(), model);
            QCOMPARE(box.textSize(), model.size());
            QCOMPARE(box.canUndo(), !undo.empty());
            if (start.size() > 5000) {
                for (qsizetype p = 0; p <= model.size(); p += 1 + rng.bounded(40)) {
                    box.setSelStart(int(p));
                    if (box.selStart() != round(p)) {
                        qWarning().noquote() << log.join(u'\n');
                        QFAIL("a position of the text is shown elsewhere");
                    }
                }
            }
            if (!longLine) {
                QCOMPARE(box.shownText(exact_text::kBlockBreak),
                         exact_text::render(model, exact_text::kBlockBreak));
            } else {
                QString shown = box.shownText(exact_text::kBlockBreak);
                shown.remove(exact_text::kBlockBreak);
                QString units = model;
                units.removeIf([](QChar c) {
                    return c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029);
                });
                QCOMPARE(shown, units);
                for (int j = 0; j < box.lineCount(); ++j)
                    QVERIFY(box.shownLine(j).size() <= exact_text::kLongLine);
            }
            if (model.size() > (longLine ? 1400 : start.size() > 5000 ? 30000 : 80)) {
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
        Box box(start);
        auto check = [&](const QString& model, const char* what, int p) {
            QCOMPARE(box.text(), model);
            QString shown = box.shownText(exact_text::kBlockBreak);
            shown.remove(exact_text::kBlockBreak);
            QString units = model;
            units.removeIf([](QChar c) { return c == u'\r' || c == u'\n'; });
            QCOMPARE(shown, units);
            for (int j = 0; j < box.lineCount(); ++j) {
                const QString t = box.shownLine(j);
                QVERIFY(t.size() <= exact_text::kLongLine);
                const QString next = j + 1 < box.lineCount() ? box.shownLine(j + 1) : QString();
                if (!t.isEmpty() && t.back().isHighSurrogate() && !next.isEmpty() &&
                    next.front().isLowSurrogate()) {
                    QFAIL(qPrintable(
                        QStringLiteral("a cut parts a pair: %1 at %2").arg(what).arg(p)));
                }
            }
        };
        const QString emoji = QStringLiteral("\U0001F600");
        for (int p = 0; p <= 2100; ++p) {
            QString model = start;
            box.setSelStart(p);
            if (p % 2) {
                box.setSelText(emoji);
            } else { // a key that gives the whole pair
                QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, emoji, Qt::NoModifier);
            }
            model.insert(p, emoji);
            check(model, "insert", p);
            box.setSelStart(2102);
            QTest::keyClicks(&box, QStringLiteral("Z"));
            model.insert(2102, u'Z');
            check(model, "Z", p);
            box.setSelStart(p + 2);
            QTest::keyClick(&box, Qt::Key_Backspace);
            model.remove(p, 2);
            check(model, "backspace", p);
            box.undoEdit();
            model.insert(p, emoji);
            check(model, "undo", p);
            if (QTest::currentTestFailed())
                return;
            box.setText(start);
        }
    }
};

QTEST_MAIN(TstBoxHistory)
#include "tst_box_history.moc"
