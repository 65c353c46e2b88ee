#include "dialogs/find_replace_logic.h"
#include "dialogs/form3.h"
#include "dialogs/search_state.h"
#include "form_fixtures.h"
#include "host/text_box.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

namespace {

using namespace Qt::StringLiterals;

// The input box's text, the caret where the search is anchored (-1: never),
// the find box, and the steps, parted by "|": "up", "down" (the direction),
// "anchor" (a release at the selection), "anchor N", "text X" (the box written
// without a release), "snapshot" (the snapshot assigned the box's text); anything
// else is what a Find Next does, a selection "sel 4+2", "done" for the 完成
// message, or the message shown.
struct FindCase {
    QString text;
    int caret;
    QString find;
    bool caseSensitive;
    QString steps;
};

} // namespace

Q_DECLARE_METATYPE(FindCase)

class TestFindReplace : public QObject, FormFixture {
    Q_OBJECT

    // Puts `text` into the input box and anchors the search at `caret`, as a key
    // release there would.
    void anchorAt(const QString& text, int caret) {
        form->Text1->setText(text);
        form->Text1->setSelStart(caret);
        AnchorSearch(Module1(), form->Text1->text(), form->Text1->selStart());
    }
    Form3* openFind() {
        form->MuFind_Click();
        return form->form3();
    }
    // What one Find Next did: "sel 4+2" for a selection, or the message shown.
    QString findNext(Form3* f) {
        const qsizetype before = host->messages.size();
        f->Command1->click();
        return host->messages.size() > before ? shown().last() : selection();
    }

  private slots:
    void init() {
        Module1() = SearchState{};
        start(false);
    }
    void cleanup() { stop(); }

    void findSequences_data() {
        QTest::addColumn<FindCase>("c");
        auto row = [](const char* name, FindCase c) { QTest::newRow(name) << c; };
        const QString big = QString(40000, u'.') + QStringLiteral("xy") + QString(10, u'.');
        row("overlapping down, wraps after done",
            {"aaaa", 0, "aa", false, "sel 0+2|sel 1+2|sel 2+2|done|sel 0+2"});
        row("down from the caret", {"ab ab ab", 4, "ab", false, "sel 6+2|done|sel 0+2"});
        row("up to the top, then done until re-anchored",
            {"x.x.x", 5, "x", false, "up|sel 4+1|sel 2+1|sel 0+1|done|done"});
        row("up: not found, then found again",
            {"axb", 3, "x", false, "up|sel 1+1|64 : 找不到\"x\"|sel 1+1"});
        row("up from caret 0", {"abc", 0, "a", false, "up|done"});
        row("case-insensitive finds other case", {"xABC", 0, "abc", false, "sel 1+3|done"});
        row("case-sensitive does not", {"xABC", 0, "abc", true, "done"});
        row("case-insensitive up", {"Straße STRASSE", 14, "STRAßE", false, "up|sel 0+6|done"});
        row("up, match only within the text before the caret",
            {"abcabc", 4, "bca", false, "up|sel 1+3|64 : 找不到\"bca\""});
        row("down and up keep separate positions",
            {"ab ab ab ab", 6, "ab", false, "sel 6+2|sel 9+2|up|sel 3+2|down|done"});
        row("release on a selected match re-anchors at its start",
            {"ab ab ab", 0, "ab", false, "sel 0+2|sel 3+2|anchor|sel 3+2|up|sel 0+2"});
        row("before the first anchoring: empty snapshot, then from the start",
            {"abcabc", -1, "abc", false, "done|snapshot|sel 0+3|sel 3+3"});
        row("stale snapshot selects in the live box, clamped",
            {"hello world", 0, "world", false, "text short|sel 5+0"});
        row("matches beyond 32767",
            {big, 0, "XY", false, "sel 40000+2|anchor 40012|up|sel 40000+2"});
    }
    void findSequences() {
        QFETCH(FindCase, c);
        if (c.caret >= 0)
            anchorAt(c.text, c.caret);
        else
            form->Text1->setText(c.text);
        Form3* f = openFind();
        f->Text1->setText(c.find);
        f->Check1->setChecked(c.caseSensitive);
        QStringList expected, seen;
        for (const QString& step : c.steps.split(u'|')) {
            if (step == QLatin1String("up") || step == QLatin1String("down")) {
                (step == QLatin1String("up") ? f->Option1 : f->Option2)->setChecked(true);
            } else if (step.startsWith(QLatin1String("anchor"))) {
                const int at = step.size() > 6 ? step.mid(7).toInt() : form->Text1->selStart();
                AnchorSearch(Module1(), form->Text1->text(), at);
            } else if (step.startsWith(QLatin1String("text "))) {
                form->Text1->setText(step.mid(5));
            } else if (step == QLatin1String("snapshot")) {
                Module1().SearchText = form->Text1->text();
            } else {
                expected << (step == QLatin1String("done") ? u"64 Quillet: 完成..."_s : step);
                seen << findNext(f);
            }
        }
        QCOMPARE(seen, expected);
    }

    void emptyFindTextIsNeverSearched() {
        anchorAt(QStringLiteral("abc"), 0);
        Module1().FindWhat.clear();
        find_replace::findNextMatch(Module1(), find_replace::Direction::Down, Qt::CaseSensitive);
        QCOMPARE(Module1().ForwardStart, 1);
        QCOMPARE(Module1().MatchPos, 0);
    }

    // The find box takes the selection only when it is one short line; otherwise
    // it keeps what it held ("prev").
    void opening_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("findBox");
        const QString text = QStringLiteral("abc\r\nd abc");
        QTest::newRow("nothing selected") << text << 2 << 0 << "";
        QTest::newRow("abc selected") << text << 7 << 3 << "abc";
        QTest::newRow("CR LF selected") << text << 2 << 4 << "prev";
        for (const char16_t brk : {u'\n', u'\r', u'\v', u'\f', u'\u0085', u'\u2028', u'\u2029'})
            QTest::addRow("break U+%04X selected", unsigned(brk))
                << (u"ab"_s + QChar(brk) + u"cd"_s) << 1 << 3 << "prev";
        const QString line(1001, u'字');
        QTest::newRow("1000 units") << line << 1 << 1000 << line.mid(1);
        QTest::newRow("1001 units") << line << 0 << 1001 << "prev";
    }
    void opening() {
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, findBox);
        setInput(text, 0, 0);
        openFind()->Text1->setText(QStringLiteral("prev"));
        Module1().FindWhat = QStringLiteral("stale");
        setInput(text, selStart, selLength);
        Form3* f = openFind();
        QCOMPARE(f->Text1->selectedText(), findBox);
        QCOMPARE(f->Text1->text(), findBox);
        QCOMPARE(Module1().FindWhat, findBox);
        for (QPushButton* b : {f->Command1, f->Command3, f->Command4})
            QCOMPARE(b->isEnabled(), !findBox.isEmpty());
        QVERIFY(f->Command2->isEnabled());
        QVERIFY(f->Option2->isChecked() && !f->Check1->isChecked());
        QCOMPARE(f->Text1->maxLength(), std::numeric_limits<int>::max()); // nothing cut off
        f->Text1->setText(findBox.isEmpty() ? QStringLiteral("q") : QString());
        QCOMPARE(Module1().FindWhat, f->Text1->text());
        for (QPushButton* b : {f->Command1, f->Command3, f->Command4})
            QCOMPARE(b->isEnabled(), findBox.isEmpty());
    }

    // Enter and Esc do nothing; closing unloads; reopening resets the boxes, not the positions.
    void lifecycle() {
        form->show();
        anchorAt(QStringLiteral("abcabc"), 0);
        Form3* f = openFind();
        for (QPushButton* b : f->findChildren<QPushButton*>())
            QVERIFY2(!b->autoDefault() && !b->isDefault(), qPrintable(b->objectName()));
        f->Text1->setText(QStringLiteral("bc"));
        f->Text2->setText(QStringLiteral("r"));
        f->Check1->setChecked(true);
        findNext(f);
        f->Option1->setChecked(true);
        QTest::keyClick(f, Qt::Key_Escape);
        QTest::keyClick(f, Qt::Key_Return);
        QTest::keyClick(f->Text1, Qt::Key_Enter, Qt::KeypadModifier);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(f->isVisible());
        form->MuFind_Click(); // brought forward, the same dialog
        QCOMPARE(form->form3(), f);
        QVERIFY(f->Option1->isChecked());
        f->Text2->setFocus();
        f->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form->form3());
        QCOMPARE(form->focusWidget(), form->Text1);
        f = openFind();
        QCOMPARE(f->Text2->text(), QString());
        QVERIFY(!f->Check1->isChecked() && f->Option2->isChecked());
        QCOMPARE(Module1().ForwardStart, 3);
        f->Text1->setText(QStringLiteral("bc"));
        QCOMPARE(findNext(f), QStringLiteral("sel 4+2"));
        f->Command2->click();
        QVERIFY(!form->form3());
    }

    void replaceReplacesTheSelectionItself() {
        setInput(QStringLiteral("abc abc"), 4, 3);
        Form3* f = openFind();
        f->Text2->setText(QStringLiteral("x"));
        QSignalSpy changes(form->Text1, &TextBox::changed);
        f->Command3->click();
        QCOMPARE(form->Text1->text(), QStringLiteral("abc x"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(selection(), QStringLiteral("sel 0+0"));
        QCOMPARE(Module1().SearchText, QStringLiteral("abc x"));
        QCOMPARE(Module1().ForwardStart, 1);
        QCOMPARE(Module1().BackwardStart, 0);
        QCOMPARE(findNext(f), QStringLiteral("sel 0+3"));
        form->MuUnDo_Click(); // one step
        QCOMPARE(form->Text1->text(), QStringLiteral("abc abc"));
    }

    void replaceWithNothingSelectedFindsDownward() {
        anchorAt(QStringLiteral("one two one"), 4);
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("one"));
        f->Option1->setChecked(true);
        form->Text1->setSelStart(4);
        f->Command3->click();
        QVERIFY(f->Option2->isChecked());
        QCOMPARE(form->Text1->text(), QStringLiteral("one two one"));
        QCOMPARE(selection(), QStringLiteral("sel 8+3"));
    }

    void replaceAll_data() {
        QTest::addColumn<QStringList>("c"); // text, find, replacement, result
        QTest::addColumn<bool>("caseSensitive");
        QTest::newRow("inserted text not scanned again")
            << QStringList{"aaa", "a", "aa", "aaaaaa"} << false;
        QTest::newRow("case-insensitive") << QStringList{"aAa", "A", "b", "bbb"} << false;
        QTest::newRow("case-sensitive") << QStringList{"aAa", "A", "b", "aba"} << true;
        QTest::newRow("non-overlapping from the left")
            << QStringList{"aaaaa", "aa", "b", "bba"} << true;
        QTest::newRow("line breaks to nothing")
            << QStringList{"a\r\nb\r\n", "\r\n", "", "ab"} << true;
        QTest::newRow("no occurrence") << QStringList{"abc", "x", "y", "abc"} << false;
        QTest::newRow("whole text") << QStringList{"abc", "ABC", "", ""} << false;
    }
    void replaceAll() {
        QFETCH(QStringList, c);
        QFETCH(bool, caseSensitive);
        anchorAt(QStringLiteral("snapshot"), 3);
        form->Text1->setText(c[0]);
        Form3* f = openFind();
        f->Text1->setText(c[1]);
        f->Text2->setText(c[2]);
        f->Check1->setChecked(caseSensitive);
        QSignalSpy changes(form->Text1, &TextBox::changed);
        f->Command4->click();
        QCOMPARE(form->Text1->text(), c[3]);
        QCOMPARE(changes.size(), 1); // written also when nothing was replaced
        QCOMPARE(Module1().SearchText, QStringLiteral("snapshot"));
        QCOMPARE(Module1().ForwardStart, 4);
        QCOMPARE(shown(), QStringList());
        form->MuUnDo_Click(); // one step
        QCOMPARE(form->Text1->text(), c[0]);
    }

    void replaceAllLeavesThePlaceholderAlone() {
        form->Text1->setFontItalic(true);
        setInput(QStringLiteral("输入:"), 0, 0);
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("输"));
        f->Text2->setText(QStringLiteral("x"));
        f->Command4->click();
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
        QVERIFY(!form->InputChanged);
    }
};

QTEST_MAIN(TestFindReplace)
#include "tst_find_replace.moc"
