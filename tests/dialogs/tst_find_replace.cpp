#include "dialogs/find_replace_logic.h"
#include "dialogs/form3.h"
#include "dialogs/search_state.h"
#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kDone = QStringLiteral("完成...");

// What one Find Next did: "sel 4" for a selection at 4, or the message shown.
QString lastEffect(ScriptedHost& host, qsizetype messagesBefore, const TextBox* box) {
    if (host.messages.size() > messagesBefore) {
        const auto& m = host.messages.last();
        return QStringLiteral("msg %1 %2 [%3]").arg(m.prompt).arg(m.style).arg(m.title);
    }
    return QStringLiteral("sel %1+%2").arg(box->selStart()).arg(box->selLength());
}

} // namespace

class TestFindReplace : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedHost> host;
    std::unique_ptr<Form1> form;

    // Puts `text` into the input box and anchors the search at `caret`, as a key
    // release there would.
    void anchorAt(const QString& text, int caret) {
        form->Text1->setText(text);
        form->Text1->setSelStart(caret);
        AnchorSearch(Module1(), form->Text1->text(), form->Text1->selStart());
    }
    Form3* openFind() {
        form->MuFind_Click();
        Form3* f = form->form3();
        Q_ASSERT(f);
        return f;
    }
    QString findNext(Form3* f) {
        const qsizetype before = host->messages.size();
        f->Command1->click();
        return lastEffect(*host, before, form->Text1);
    }
    static void unload(QWidget* dialog) {
        dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

  private slots:
    void init() {
        Module1() = SearchState{};
        host = std::make_unique<ScriptedHost>();
        form = std::make_unique<Form1>(*host);
    }
    void cleanup() {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void findSequences_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QStringList>("effects");
        const QString done = QStringLiteral("msg 完成... 64 [Quillet]");
        QTest::newRow("overlapping down, wraps after done")
            << "aaaa" << 0 << "aa" << false << true
            << QStringList{"sel 0+2", "sel 1+2", "sel 2+2", done, "sel 0+2"};
        QTest::newRow("down from the caret")
            << "ab ab ab" << 4 << "ab" << false << true << QStringList{"sel 6+2", done, "sel 0+2"};
        QTest::newRow("up to the top, then done until re-anchored")
            << "x.x.x" << 5 << "x" << false << false
            << QStringList{"sel 4+1", "sel 2+1", "sel 0+1", done, done};
        QTest::newRow("up: not found, then found again")
            << "axb" << 3 << "x" << false << false
            << QStringList{"sel 1+1", "msg 找不到\"x\" 64 []", "sel 1+1"};
        QTest::newRow("up from caret 0")
            << "abc" << 0 << "a" << false << false << QStringList{done};
        QTest::newRow("case-insensitive finds other case")
            << "xABC" << 0 << "abc" << false << true << QStringList{"sel 1+3", done};
        QTest::newRow("case-sensitive does not")
            << "xABC" << 0 << "abc" << true << true << QStringList{done};
        QTest::newRow("case-insensitive up")
            << "Straße STRASSE" << 14 << "STRAßE" << false << false << QStringList{"sel 0+6", done};
        QTest::newRow("empty snapshot") << "" << 0 << "a" << false << true << QStringList{done};
        QTest::newRow("up, match only within the text before the caret")
            << "abcabc" << 4 << "bca" << false << false
            << QStringList{"sel 1+3", "msg 找不到\"bca\" 64 []"};
    }
    void findSequences() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, find);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, down);
        QFETCH(QStringList, effects);
        anchorAt(text, caret);
        Form3* f = openFind();
        f->Text1->setText(find);
        f->Check1->setChecked(caseSensitive);
        (down ? f->Option2 : f->Option1)->setChecked(true);
        QStringList seen;
        for (qsizetype i = 0; i < effects.size(); ++i)
            seen << findNext(f);
        QCOMPARE(seen, effects);
    }

    void downAndUpKeepSeparatePositions() {
        anchorAt(QStringLiteral("ab ab ab ab"), 6);
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("ab"));
        QCOMPARE(findNext(f), QStringLiteral("sel 6+2"));
        QCOMPARE(findNext(f), QStringLiteral("sel 9+2"));
        f->Option1->setChecked(true);
        QCOMPARE(findNext(f), QStringLiteral("sel 3+2")); // from the anchor, not the last match
        f->Option2->setChecked(true);
        QCOMPARE(findNext(f), QStringLiteral("msg 完成... 64 [Quillet]"));
    }

    void releaseOnSelectedMatchReanchorsAtItsStart() {
        anchorAt(QStringLiteral("ab ab ab"), 0);
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("ab"));
        findNext(f);
        QCOMPARE(findNext(f), QStringLiteral("sel 3+2"));
        AnchorSearch(Module1(), form->Text1->text(), form->Text1->selStart());
        QCOMPARE(findNext(f), QStringLiteral("sel 3+2"));
        f->Option1->setChecked(true);
        QCOMPARE(findNext(f), QStringLiteral("sel 0+2"));
    }

    void beforeFirstAnchoringSearchesFromTheStart() {
        form->Text1->setText(QStringLiteral("abcabc"));
        QCOMPARE(Module1().ForwardStart, 0);
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("abc"));
        QCOMPARE(findNext(f), QStringLiteral("msg 完成... 64 [Quillet]")); // empty snapshot
        Module1().SearchText = form->Text1->text(); // a snapshot, still ForwardStart 0
        QCOMPARE(findNext(f), QStringLiteral("sel 0+3"));
        QCOMPARE(findNext(f), QStringLiteral("sel 3+3"));
    }

    void staleSnapshotSelectsInTheLiveBoxClamped() {
        anchorAt(QStringLiteral("hello world"), 0);
        form->Text1->setText(QStringLiteral("short")); // e.g. a file opened, no release
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("world"));
        QCOMPARE(findNext(f), QStringLiteral("sel 5+0"));
        QCOMPARE(Module1().MatchPos, 7);
    }

    void matchesBeyond32767AreOrdinary() {
        const QString text = QString(40000, u'.') + QStringLiteral("xy") + QString(10, u'.');
        anchorAt(text, 0);
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("XY"));
        QCOMPARE(findNext(f), QStringLiteral("sel 40000+2"));
        QCOMPARE(Module1().ForwardStart, 40002);
        AnchorSearch(Module1(), text, text.size());
        f->Option1->setChecked(true);
        QCOMPARE(findNext(f), QStringLiteral("sel 40000+2"));
    }

    void emptyFindTextIsNeverSearched() {
        anchorAt(QStringLiteral("abc"), 0);
        Module1().FindWhat.clear();
        find_replace::findNextMatch(Module1(), find_replace::Direction::Down, Qt::CaseSensitive);
        QCOMPARE(Module1().ForwardStart, 1);
        QCOMPARE(Module1().MatchPos, 0);
    }

    void opening_data() {
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("findBox");
        QTest::addColumn<bool>("buttons");
        QTest::newRow("nothing selected") << 2 << 0 << "" << false;
        QTest::newRow("abc selected") << 7 << 3 << "abc" << true;
        QTest::newRow("line break selected") << 2 << 4 << "c\r\nd" << true;
    }
    void opening() {
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, findBox);
        QFETCH(bool, buttons);
        Module1().FindWhat = QStringLiteral("stale");
        form->Text1->setText(QStringLiteral("abc\r\nd abc"));
        form->Text1->setSelStart(selStart);
        form->Text1->setSelLength(selLength);
        Form3* f = openFind();
        QCOMPARE(f->Text1->text(), findBox);
        QCOMPARE(f->Text1->selectedText(), findBox);
        QCOMPARE(Module1().FindWhat, findBox);
        QCOMPARE(f->Command1->isEnabled(), buttons);
        QCOMPARE(f->Command3->isEnabled(), buttons);
        QCOMPARE(f->Command4->isEnabled(), buttons);
        QVERIFY(f->Command2->isEnabled());
        QVERIFY(f->Option2->isChecked());
        QVERIFY(!f->Check1->isChecked());
        QVERIFY(f->isVisible());
        QVERIFY(!f->isModal());
        QCOMPARE(f->parentWidget(), form.get());
    }

    void findBoxChangeEnablesButtons() {
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("q"));
        QVERIFY(f->Command1->isEnabled() && f->Command3->isEnabled() && f->Command4->isEnabled());
        QCOMPARE(Module1().FindWhat, QStringLiteral("q"));
        f->Text1->clear();
        QVERIFY(!f->Command1->isEnabled() && !f->Command3->isEnabled() &&
                !f->Command4->isEnabled());
        QCOMPARE(Module1().FindWhat, QString());
    }

    void reopeningResetsTheBoxesNotThePositions() {
        anchorAt(QStringLiteral("abcabc"), 0);
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("bc"));
        f->Text2->setText(QStringLiteral("r"));
        f->Check1->setChecked(true);
        findNext(f);
        f->Option1->setChecked(true);
        form->MuFind_Click(); // brought forward, the same dialog
        QCOMPARE(form->form3(), f);
        QVERIFY(f->Option1->isChecked());
        f->Command2->click();
        QVERIFY(!form->form3());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        f = openFind();
        QCOMPARE(f->Text2->text(), QString());
        QVERIFY(!f->Check1->isChecked());
        QVERIFY(f->Option2->isChecked());
        QCOMPARE(Module1().ForwardStart, 3);
        f->Text1->setText(QStringLiteral("bc"));
        QCOMPARE(findNext(f), QStringLiteral("sel 4+2"));
    }

    void replaceReplacesTheSelectionItself() {
        form->Text1->setText(QStringLiteral("abc abc"));
        form->Text1->setSelStart(4);
        form->Text1->setSelLength(3);
        Form3* f = openFind();
        f->Text2->setText(QStringLiteral("x"));
        QSignalSpy changes(form->Text1, &TextBox::changed);
        f->Command3->click();
        QCOMPARE(form->Text1->text(), QStringLiteral("abc x"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(form->Text1->selStart(), 0);
        QCOMPARE(form->Text1->selLength(), 0);
        QCOMPARE(Module1().SearchText, QStringLiteral("abc x"));
        QCOMPARE(Module1().ForwardStart, 1);
        QCOMPARE(Module1().BackwardStart, 0);
        QCOMPARE(findNext(f), QStringLiteral("sel 0+3"));
    }

    void replaceWithNothingSelectedFindsDownward() {
        anchorAt(QStringLiteral("one two one"), 4);
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("one"));
        f->Option1->setChecked(true);
        form->Text1->setSelStart(4);
        const QString before = form->Text1->text();
        f->Command3->click();
        QVERIFY(f->Option2->isChecked());
        QCOMPARE(form->Text1->text(), before);
        QCOMPARE(form->Text1->selStart(), 8);
        QCOMPARE(form->Text1->selLength(), 3);
    }

    void replaceAll_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QString>("result");
        QTest::newRow("inserted text not scanned again") << "aaa"
                                                         << "a"
                                                         << "aa" << false << "aaaaaa";
        QTest::newRow("case-insensitive") << "aAa"
                                          << "A"
                                          << "b" << false << "bbb";
        QTest::newRow("case-sensitive") << "aAa"
                                        << "A"
                                        << "b" << true << "aba";
        QTest::newRow("non-overlapping from the left") << "aaaaa"
                                                       << "aa"
                                                       << "b" << true << "bba";
        QTest::newRow("to nothing") << "a-b-c"
                                    << "-"
                                    << "" << true << "abc";
        QTest::newRow("line breaks") << "a\r\nb\r\n"
                                     << "\r\n"
                                     << " " << true << "a b ";
        QTest::newRow("no occurrence") << "abc"
                                       << "x"
                                       << "y" << false << "abc";
        QTest::newRow("whole text") << "abc"
                                    << "ABC"
                                    << "" << false << "";
    }
    void replaceAll() {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(bool, caseSensitive);
        QFETCH(QString, result);
        anchorAt(QStringLiteral("snapshot"), 3);
        form->Text1->setText(text);
        Form3* f = openFind();
        f->Text1->setText(find);
        f->Text2->setText(replacement);
        f->Check1->setChecked(caseSensitive);
        QSignalSpy changes(form->Text1, &TextBox::changed);
        f->Command4->click();
        QCOMPARE(form->Text1->text(), result);
        QCOMPARE(changes.size(), 1); // written also when nothing was replaced
        QCOMPARE(Module1().SearchText, QStringLiteral("snapshot"));
        QCOMPARE(Module1().ForwardStart, 4);
        QVERIFY(host->messages.isEmpty());
    }

    void replaceAllLeavesThePlaceholderAlone() {
        form->Text1->setFontItalic(true);
        form->Text1->setText(QStringLiteral("输入:"));
        form->InputChanged = false;
        Form3* f = openFind();
        f->Text1->setText(QStringLiteral("输"));
        f->Text2->setText(QStringLiteral("x"));
        f->Command4->click();
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
        QVERIFY(!form->InputChanged);
    }

    void noDefaultButtonAndEnterEscDoNothing() {
        form->show();
        Form3* f = openFind();
        for (QPushButton* b : f->findChildren<QPushButton*>())
            QVERIFY2(!b->autoDefault() && !b->isDefault(), qPrintable(b->objectName()));
        QTest::keyClick(f, Qt::Key_Escape);
        QTest::keyClick(f, Qt::Key_Return);
        QTest::keyClick(f->Text1, Qt::Key_Enter, Qt::KeypadModifier);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(form->form3(), f);
        QVERIFY(f->isVisible());
    }

    void closeBoxUnloadsAndFocusesTheInputBox() {
        form->show();
        Form3* f = openFind();
        f->Text2->setFocus();
        unload(f);
        QVERIFY(!form->form3());
        QCOMPARE(form->focusWidget(), form->Text1);
    }

    void designNamesCaptionsAndBuddies() {
        Form3* f = openFind();
        QCOMPARE(f->objectName(), QStringLiteral("Form3"));
        QCOMPARE(f->windowTitle(), QStringLiteral("查找/替换"));
        QCOMPARE(f->Label1->buddy(), f->Text1);
        QCOMPARE(f->Label2->buddy(), f->Text2);
        QCOMPARE(f->Text1->maxLength(), std::numeric_limits<int>::max());
        QCOMPARE(f->Option1->parentWidget(), static_cast<QWidget*>(f->Frame1));
        // Tab order of the design.
        QWidget* w = f->Text1;
        QStringList order;
        for (; order.size() < 8; w = w->nextInFocusChain()) {
            if (w->focusPolicy() != Qt::NoFocus)
                order << w->objectName();
        }
        QCOMPARE(order, (QStringList{"Text1", "Text2", "Check1", "Option1", "Option2", "Command1",
                                     "Command2", "Command3"}));
    }
};

QTEST_MAIN(TestFindReplace)
#include "tst_find_replace.moc"
