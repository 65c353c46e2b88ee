#include "dialogs/form3.h"
#include "dialogs/search_state.h"
#include "form_fixtures.h"
#include "host/memory.h"
#include "host/text_box.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <map>

namespace {

using namespace Qt::StringLiterals;

const QString kText = QStringLiteral("hello world");

// One edit command on "hello world": the selection and clipboard before, the
// text, clipboard and changed flag after.
struct EditCase {
    const char* command;
    int start, length;
    const char* clipboard;
    bool focusInOutput;
    const char *text, *clipboardAfter;
    bool changed;
};

} // namespace

Q_DECLARE_METATYPE(EditCase)

class TstEditCommands : public QObject, FormFixture {
    Q_OBJECT

    QList<QObject*> six() const {
        return {form->Command1, form->Command2, form->Command3,
                form->MuCut,    form->MuCopy,   form->MuDel};
    }
    void setSix(bool enabled) {
        for (QObject* o : six())
            o->setProperty("enabled", enabled);
    }
    // True or false when all six agree; the test fails otherwise.
    bool sixEnabled() const {
        const bool first = six().front()->property("enabled").toBool();
        for (QObject* o : six())
            if (o->property("enabled").toBool() != first)
                qFatal("%s disagrees", qPrintable(o->objectName()));
        return first;
    }
    QPoint pointAt(int position) const { return form->Text1->caretRect(position).center(); }

  private slots:
    void init() {
        start();
        form->MuToolBox_Click();
    }
    void cleanup() {
        memory::setAvailableForTesting(std::nullopt);
        stop();
    }

    void selectionRuleAtEveryRelease_data() {
        QTest::addColumn<bool>("selected"); // the data tag is the gesture
        QTest::newRow("shift+right") << true;
        QTest::newRow("shift+right, right") << false;
        QTest::newRow("drag") << true;
        QTest::newRow("click") << false;
        QTest::newRow("double click") << true;
        QTest::newRow("ctrl+a") << true;
        QTest::newRow("ctrl+a empty") << false;
    }

    void selectionRuleAtEveryRelease() {
        QFETCH(bool, selected);
        const QString gesture = QString::fromLatin1(QTest::currentDataTag());
        setInput(gesture == QLatin1String("ctrl+a empty") ? QString() : kText, 2, 0);
        setSix(!selected);
        TextBox* box = form->Text1;
        if (gesture.startsWith(QLatin1String("shift+right"))) {
            QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);
            if (gesture.endsWith(QLatin1String(", right")))
                QTest::keyClick(box, Qt::Key_Right);
        } else if (gesture == QLatin1String("drag")) {
            QTest::mousePress(box->viewport(), Qt::LeftButton, {}, pointAt(1));
            QTest::mouseMove(box->viewport(), pointAt(7));
            QTest::mouseRelease(box->viewport(), Qt::LeftButton, {}, pointAt(7));
        } else if (gesture == QLatin1String("click")) {
            box->setSelLength(4);
            QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, pointAt(3));
        } else if (gesture == QLatin1String("double click")) {
            // QTest's double click stops at the second press; a real one ends in a release.
            QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, pointAt(8));
            QTest::mouseRelease(box->viewport(), Qt::LeftButton, {}, pointAt(8));
        } else {
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        }
        QCOMPARE(box->selLength() > 0, selected);
        QCOMPARE(sixEnabled(), selected);
    }

    void shortcutsActOnTheirFixedBox_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        for (const char* focus : {"Text1", "Text2", "Text3"}) {
            QTest::addRow("ctrl+a in %s", focus) << focus << int(Qt::Key_A);
            QTest::addRow("ctrl+b in %s", focus) << focus << int(Qt::Key_B);
            QTest::addRow("f4 in %s", focus) << focus << int(Qt::Key_F4);
        }
    }

    void shortcutsActOnTheirFixedBox() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        setInput(kText, 3, 0);
        showReport(QStringLiteral("report"));
        form->Text3->setText(QStringLiteral("12"));
        auto* target = form->findChild<QWidget*>(focus);
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        QAction* item = key == Qt::Key_A   ? form->MuSelectAll
                        : key == Qt::Key_B ? form->MuSelectAllB
                                           : form->MuClear;
        QSignalSpy menu(item, &QAction::triggered); // the menu wins, not the box's own key
        if (key == Qt::Key_F4)
            QTest::keyClick(target, Qt::Key_F4);
        else
            QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);

        const bool all = key == Qt::Key_A; // the others act on the output box
        QCOMPARE(form->Text1->selLength(), all ? kText.size() : 0);
        QCOMPARE(QApplication::focusWidget(), all ? form->Text1 : form->Text2);
        QVERIFY(!all || sixEnabled());
        QCOMPARE(form->Text2->selLength(), key == Qt::Key_B ? 6 : 0);
        QCOMPARE(form->Text2->text(), key == Qt::Key_F4 ? QString() : QStringLiteral("report"));
        QCOMPARE(form->Text3->selectedText(), QString()); // the focused box kept nothing
        QCOMPARE(form->Text1->text(), kText);
        QCOMPARE(menu.count(), 1);
    }

    void editCommands_data() {
        QTest::addColumn<EditCase>("c");
        auto row = [](const char* name, EditCase c) { QTest::newRow(name) << c; };
        row("cut", {"MuCut", 0, 5, "x", false, " world", "hello", true});
        row("cut from the output box", {"MuCut", 6, 5, "x", true, "hello ", "world", true});
        row("copy", {"MuCopy", 6, 5, "x", false, "hello world", "world", false});
        row("paste over a selection", {"MuPaste", 0, 5, "bye", false, "bye world", "bye", true});
        row("paste at the caret", {"MuPaste", 5, 0, "!", false, "hello! world", "!", true});
        row("paste from the output box", {"MuPaste", 5, 0, "!", true, "hello! world", "!", true});
        row("paste lines",
            {"MuPaste", 5, 0, "1\n2\r3", false, "hello1\r\n2\r\n3 world", "1\n2\r3", true});
        row("paste nothing deletes", {"MuPaste", 0, 6, "", false, "world", "", true});
        row("delete", {"MuDel", 5, 6, "x", false, "hello", "x", true});
        row("delete from the output box", {"MuDel", 0, 6, "x", true, "world", "x", true});
    }

    void editCommands() {
        QFETCH(EditCase, c);
        setInput(kText, c.start, c.length);
        if (c.focusInOutput) {
            form->Text2->setFocus();
            form->Text1->setSelStart(c.start); // the box keeps its selection without the focus
            form->Text1->setSelLength(c.length);
        }
        form->SelectionRule();
        const bool before = sixEnabled();
        host->clipboard = QString::fromUtf8(c.clipboard);
        form->findChild<QAction*>(QString::fromLatin1(c.command))->trigger();

        QCOMPARE(form->Text1->text(), QString::fromUtf8(c.text));
        QCOMPARE(host->clipboard, QString::fromUtf8(c.clipboardAfter));
        QCOMPARE(form->InputChanged, c.changed);
        // Cut and delete apply the selection rule; copy and paste leave it alone.
        const bool rule = qstrcmp(c.command, "MuCut") == 0 || qstrcmp(c.command, "MuDel") == 0;
        QCOMPARE(sixEnabled(), rule ? false : before);
        QCOMPARE(QApplication::focusWidget(), c.focusInOutput ? form->Text2 : form->Text1);

        // One undo from the menu, wherever the focus is, brings the text back.
        form->Text2->setFocus();
        setSix(true);
        form->MuUnDo->trigger();
        QCOMPARE(form->Text1->text(), kText);
        if (c.changed)
            QVERIFY(!sixEnabled()); // caret only after the undo
    }

    void placeholderStaysOutOfTheUndoHistory_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("ctrl+z in the box") << "ctrl+z";
        QTest::newRow("menu undo while the placeholder shows") << "undo";
        QTest::newRow("menu paste while the placeholder shows") << "paste";
        QTest::newRow("drop while the placeholder shows") << "drop";
    }

    void placeholderStaysOutOfTheUndoHistory() {
        QFETCH(QString, action);
        TextBox* box = form->Text1;
        box->setFocus();
        QTest::keyClicks(box, kText);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), QString());
        form->Text2->setFocus();
        QCOMPARE(looks(box), u"输入: (italic)"_s);
        if (action == QLatin1String("paste")) {
            host->clipboard.clear();
            form->MuPaste_Click();
            QCOMPARE(looks(box), u"输入: (italic)"_s);
            host->clipboard = kText;
            form->MuPaste_Click(); // not "hello world输入:"
            QVERIFY(form->InputChanged);
        } else if (action == QLatin1String("drop")) {
            // Dragged from elsewhere onto the box: not "输入:hello world".
            QMimeData data;
            data.setText(kText);
            const QPoint at(2, 2);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(box->viewport(), &enter);
            QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(box->viewport(), &drop);
        } else if (action == QLatin1String("undo")) {
            form->MuUnDo_Click();
        } else {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(looks(box), kText);
    }

    void selectionTransforms_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("upper") << 1 << u"abc Hello 世界"_s << 4 << 8 << u"abc HELLO 世界"_s;
        QTest::newRow("lower") << 2 << u"abc HELLO 世界"_s << 4 << 8 << u"abc hello 世界"_s;
        QTest::newRow("reverse a line break") << 3 << u"ab\r\ncd"_s << 1 << 4 << u"ac\n\rbd"_s;
        QTest::newRow("reverse a surrogate pair")
            << 3 << (u"xa"_s + emoji + u'b') << 1 << 4 << (u"xb"_s + emoji + u'a');
    }

    void selectionTransforms() {
        QFETCH(int, command);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, expected);
        setInput(text, start, length);
        form->Text1_MouseUp(1, 1, 1, 1);
        form->Text3->setFocus();
        auto* button = form->findChild<QPushButton*>(QStringLiteral("Command%1").arg(command));
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);

        QCOMPARE(form->Text1->text(), expected);
        QCOMPARE(selection(), QStringLiteral("sel %1+%2").arg(start).arg(length));
        QCOMPARE(QApplication::focusWidget(), form->Text1);
        QVERIFY(sixEnabled() && form->InputChanged && form->windowTitle().startsWith(u'*'));
        QCOMPARE(Module1().SearchText, expected); // anchored in the changed text
        QCOMPARE(Module1().BackwardStart, start);
    }

    void transformOfAnEmptySelectionChangesNothing() {
        setInput(kText, 4, 0);
        for (auto command :
             {&Form1::Command1_Click, &Form1::Command2_Click, &Form1::Command3_Click}) {
            setSix(true); // as a menu paste can leave them
            (form.get()->*command)();
            QCOMPARE(form->Text1->text(), kText);
            QVERIFY(!sixEnabled());
        }
    }

    void wordReversal_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("placeholder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text") << kText << false << u"olleh dlrow"_s;
        QTest::newRow("empty") << QString() << false << QString();
        QTest::newRow("placeholder") << QString() << true << u"输入:"_s;
    }

    void wordReversal() {
        QFETCH(QString, text);
        QFETCH(bool, placeholder);
        QFETCH(QString, expected);
        setInput(text, 3, 2);
        form->Text4->setText(u" "_s);
        QWidget* focus = form->Text4;
        if (text.isEmpty())
            focus = placeholder ? form->Text2 : form->Text1;
        focus->setFocus();
        form->Command4_Click();
        QCOMPARE(form->Text1->text(), expected);
        QCOMPARE(form->InputChanged, !text.isEmpty());
        QCOMPARE(shown(),
                 text.isEmpty() ? QStringList{u"48 Quillet: 文本不能为空"_s} : QStringList());
        if (!text.isEmpty()) {
            QCOMPARE(selection(), QStringLiteral("sel 0+0"));
            QCOMPARE(QApplication::focusWidget(), form->Text1);
            form->MuUnDo_Click(); // one step
            QCOMPARE(form->Text1->text(), text);
        }
    }

    void separatorInsertion_data() {
        QTest::addColumn<QStringList>("c"); // text, pattern, separator, result
        QTest::addColumn<bool>("changed");
        QTest::newRow("every 3") << QStringList{"abcdefg", "3", "-", "abc-def-g"} << true;
        QTest::newRow("interval 0") << QStringList{"abc", "0", "-", "abc"} << false;
        QTest::newRow("spaces only") << QStringList{"   ", "1", " ", ""} << false;
        QTest::newRow("empty separator") << QStringList{"ab  ", "9 9", "", "ab"} << true;
    }

    void separatorInsertion() {
        QFETCH(QStringList, c);
        QFETCH(bool, changed);
        const QString &pattern = c[1], &expected = c[3];
        setInput(c[0], 1, 0);
        form->Text3->setText(pattern);
        form->Text4->setText(c[2]);
        form->Command5->setFocus();
        form->Command5_Click();
        QCOMPARE(form->Text1->text(), expected);
        QCOMPARE(form->InputChanged, changed);
        QCOMPARE(form->Command6->isEnabled(), !expected.isEmpty());
        // The focus is not moved (an emptied box disables the button, which then loses it).
        QVERIFY(QApplication::focusWidget() != form->Text1);
        QCOMPARE(form->Text3->text(), pattern);
        QCOMPARE(shown(), QStringList());
        form->MuUnDo_Click(); // one step
        QCOMPARE(form->Text1->text(), c[0]);
    }

    // Every command that builds a new text refuses before it starts when the
    // memory left cannot hold it: a message, and nothing changed.
    void commandsRefuseWhenMemoryIsShort_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<qint64>("available");
        QTest::addColumn<bool>("refused");
        const char* commands[] = {"upper", "lower",  "reverse", "words",      "separators",
                                  "paste", "report", "replace", "replace all"};
        for (const char* c : commands)
            QTest::addRow("%s, no memory left", c) << c << qint64(0) << true;
        for (const char* c : commands)
            QTest::addRow("%s, 16 kB left", c) << c << qint64(16'000) << false;
        // 16 bytes a unit: three units need 48.
        QTest::newRow("upper, 40 bytes left") << "upper" << qint64(40) << true;
        // 'a' by 1,000 'b' in 1 M units: a result of 10^9 units.
        QTest::newRow("replace all, 1 GB left") << "replace all big" << (qint64(1) << 30) << true;
    }
    void commandsRefuseWhenMemoryIsShort() {
        QFETCH(QString, command);
        QFETCH(qint64, available);
        QFETCH(bool, refused);
        const bool big = command.endsWith(QLatin1String(" big"));
        const QString text = big ? QString(1'000'000, u'a') : u"Abc abc"_s;
        setInput(text, 0, 3);
        form->Text3->setText(u"1"_s);
        form->Text4->setText(u" "_s);
        host->clipboard = u"xyz"_s;
        if (command.startsWith(QLatin1String("replace"))) {
            form->MuFind_Click();
            form->form3()->Text1->setText(big ? u"a"_s : u"abc"_s);
            form->form3()->Text2->setText(big ? QString(1000, u'b') : u"x"_s);
        }
        const QString report = form->Text2->text();
        memory::setAvailableForTesting(available);
        const std::map<QString, std::function<void()>> run = {
            {u"upper"_s, [&] { form->Command1_Click(); }},
            {u"lower"_s, [&] { form->Command2_Click(); }},
            {u"reverse"_s, [&] { form->Command3_Click(); }},
            {u"words"_s, [&] { form->Command4_Click(); }},
            {u"separators"_s, [&] { form->Command5_Click(); }},
            {u"paste"_s, [&] { form->MuPaste_Click(); }},
            {u"report"_s, [&] { form->Command6_Click(); }},
            {u"replace"_s, [&] { form->form3()->Command3_Click(); }},
            {u"replace all"_s, [&] { form->form3()->Command4_Click(); }},
            {u"replace all big"_s, [&] { form->form3()->Command4_Click(); }},
        };
        run.at(command)();
        QCOMPARE(shown(),
                 refused ? QStringList{u"48 Quillet: "_s + memory::kNoRoom} : QStringList());
        if (command == QLatin1String("report")) {
            QCOMPARE(form->Text2->text() == report, refused);
        } else {
            QCOMPARE(form->Text1->text() == text, refused);
            QCOMPARE(form->Text1->canUndo(), !refused);
        }
    }

    // A failed allocation inside a command is reported; it never leaves the slot.
    void outOfMemoryIsReported() {
        setInput(kText, 0, 5);
        host->clipboardOutOfMemory = true;
        form->MuPaste_Click();
        QCOMPARE(shown(), QStringList{u"48 Quillet: "_s + memory::kNoRoom});
        QCOMPARE(form->Text1->text(), kText);
        emit form->Text1->outOfMemory(); // a paste of the box's own, refused
        QCOMPARE(shown().size(), 2);
    }

    // Cut and paste within the program keep every line break as it was; text
    // from other programs gets CR LF.
    void cutAndPasteKeepTheExactText() {
        const QString text = u"a\nb\rc\r\nd"_s;
        setInput(text, 0, int(text.size()));
        form->MuCut_Click();
        QCOMPARE(host->clipboard, u"a\nb\rc\nd"_s); // what other programs get
        QCOMPARE(form->Text1->text(), QString());
        form->MuPaste_Click();
        form->MuPaste_Click();
        QCOMPARE(form->Text1->text(), text + text);
        host->clipboard = u"1\n2\r3"_s; // another program's
        form->MuPaste_Click();
        QCOMPARE(form->Text1->text(), text + text + u"1\r\n2\r\n3"_s);
    }

    // Whatever reaches the box between two releases, the snapshot at a release
    // is its text, anchored at the start of the selection.
    void snapshotFollowsEveryKindOfEdit() {
        QRandomGenerator rng(5);
        TextBox* box = form->Text1;
        box->setFocus();
        SearchState& s = Module1();
        const QString big = kText.repeated(5000); // positions beyond 16 bits
        setInput(big, 40000, 4);
        QTest::keyRelease(box, Qt::Key_Shift);
        QCOMPARE(s.TextBeforeCaret(), QStringView(big).left(40000));
        QCOMPARE(s.BackwardStart, 40000);
        QCOMPARE(s.ForwardStart, 40001);
        box->setText(u"other"_s); // a write without a release leaves the snapshot alone
        QCOMPARE(s.SearchText, big);
        int size = 0;
        const std::function<void()> edits[] = {
            [&] { QTest::keyClicks(box, u"ab"_s); },
            [&] { QTest::keyClick(box, Qt::Key_Backspace); },
            [&] {
                box->setSelStart(rng.bounded(size + 1));
                box->setSelLength(rng.bounded(4));
                box->setSelText(u"\r\nxy"_s.left(rng.bounded(5)));
            },
            [&] { box->setText(QString(rng.bounded(30), u'q')); },
            [&] {
                if (rng.bounded(2))
                    AnchorSearch(s, u"elsewhere"_s, 3);
                else
                    s.SearchText = u"assigned"_s;
            },
            [&] { box->undoEdit(); },
            [&] { box->redoEdit(); },
            [&] { box->setTextAsStep(box->text().left(rng.bounded(size + 1)) + u"r\n"_s); },
            [&] { box->setSelStart(rng.bounded(size + 1)); },
        };
        for (int step = 0; step < 300; ++step) {
            size = int(box->text().size());
            edits[rng.bounded(int(std::size(edits)))]();
            if (rng.bounded(3) == 0) {
                QTest::keyRelease(box, Qt::Key_Shift);
                QCOMPARE(s.SearchText, box->text());
                QCOMPARE(s.TextBeforeCaret(), QStringView(box->text()).left(box->selStart()));
                QCOMPARE(s.BackwardStart, box->selStart());
                QCOMPARE(s.ForwardStart, box->selStart() + 1);
            }
        }
    }

    // The snapshot is the text at the last release: edits after it, undo
    // included, leave it (and what the find dialog searches) as it was.
    void snapshotIsTheTextAtTheRelease() {
        TextBox* box = form->Text1;
        box->setFocus();
        const QString big = kText.repeated(3000);
        setInput(big, 6, 0);
        QTest::keyRelease(box, Qt::Key_Shift);
        QCOMPARE(Module1().TextBeforeCaret(), u"hello "_s); // made one string here
        box->setSelText(u"brave new "_s);
        box->setSelStart(0);
        box->setSelLength(5);
        box->setSelText(u"HELLO"_s);
        QCOMPARE(Module1().SearchText, big);
        QCOMPARE(Module1().SearchText.string(), big);
        QTest::keyRelease(box, Qt::Key_Shift);
        const QString now = u"HELLO brave new "_s + big.mid(6);
        QCOMPARE(Module1().SearchText.string(), now);
        box->undoEdit();
        box->undoEdit();
        QCOMPARE(Module1().SearchText, now);
        QCOMPARE(Module1().TextBeforeCaret(), u"HELLO"_s);
    }

    // An edit that reaches the box unreported (here: with nobody listening)
    // cannot be replayed: the next release takes the box's text afresh.
    void snapshotAfterAnUnreportedEdit() {
        TextBox* box = form->Text1;
        box->setFocus();
        setInput(kText, 5, 0);
        QTest::keyRelease(box, Qt::Key_Shift);
        QCOMPARE(Module1().SearchText, kText);
        QObject::disconnect(box, &TextBox::replaced, nullptr, nullptr);
        box->setSelText(u", new"_s);
        QTest::keyRelease(box, Qt::Key_Shift);
        QCOMPARE(Module1().SearchText, u"hello, new world"_s);
        QCOMPARE(Module1().BackwardStart, 10);
    }
};

QTEST_MAIN(TstEditCommands)
#include "tst_edit_commands.moc"
