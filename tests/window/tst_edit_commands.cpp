#include "dialogs/search_state.h"
#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kText = QStringLiteral("hello world");

} // namespace

class TstEditCommands : public QObject {
    Q_OBJECT

    ScriptedHost host;
    std::unique_ptr<Form1> form;

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
    void setInput(const QString& text, int start, int length) {
        form->Text1->setText(text);
        form->Text1->setSelStart(start);
        form->Text1->setSelLength(length);
        form->InputChanged = false;
    }
    QPoint pointAt(int position) const {
        QTextCursor c = form->Text1->textCursor();
        c.setPosition(position);
        return form->Text1->cursorRect(c).center();
    }

  private slots:
    void init() {
        host = ScriptedHost();
        form = std::make_unique<Form1>(host);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->MuToolBox_Click();
    }
    void cleanup() {
        form->InputChanged = false;
        form.reset();
    }

    void selectionRuleAtEveryRelease_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("selected");
        QTest::newRow("shift+right") << "shift+right" << true;
        QTest::newRow("shift+right, right") << "shift+right, right" << false;
        QTest::newRow("mouse drag") << "drag" << true;
        QTest::newRow("click") << "click" << false;
        QTest::newRow("double click") << "double click" << true;
        QTest::newRow("ctrl+a") << "ctrl+a" << true;
        QTest::newRow("ctrl+a on an empty box") << "ctrl+a empty" << false;
    }

    void selectionRuleAtEveryRelease() {
        QFETCH(QString, gesture);
        QFETCH(bool, selected);
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
        form->Text2->setFontItalic(false);
        form->Text2->setText(QStringLiteral("report"));
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

        if (key == Qt::Key_A) {
            QCOMPARE(form->Text1->selLength(), kText.size());
            QCOMPARE(QApplication::focusWidget(), form->Text1);
            QVERIFY(sixEnabled());
        } else {
            QCOMPARE(form->Text1->selLength(), 0);
            QCOMPARE(QApplication::focusWidget(), form->Text2);
        }
        QCOMPARE(form->Text2->selLength(), key == Qt::Key_B ? 6 : 0);
        QCOMPARE(form->Text2->text(), key == Qt::Key_F4 ? QString() : QStringLiteral("report"));
        QCOMPARE(form->Text3->selectedText(), QString()); // the focused box kept nothing
        QCOMPARE(form->Text1->text(), kText);
        QCOMPARE(menu.count(), 1);
    }

    void editCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("focusInOutput");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clipboardAfter");
        QTest::addColumn<bool>("changed");
        auto row = [](const char* name, const char* command, int start, int length,
                      const char* clip, bool output, const char* text, const char* clipAfter,
                      bool changed) {
            QTest::newRow(name) << QString::fromLatin1(command) << start << length
                                << QString::fromUtf8(clip) << output << QString::fromUtf8(text)
                                << QString::fromUtf8(clipAfter) << changed;
        };
        row("cut", "MuCut", 0, 5, "x", false, " world", "hello", true);
        row("cut from the output box", "MuCut", 6, 5, "x", true, "hello ", "world", true);
        row("copy", "MuCopy", 6, 5, "x", false, "hello world", "world", false);
        row("paste over a selection", "MuPaste", 0, 5, "bye", false, "bye world", "bye", true);
        row("paste at the caret", "MuPaste", 5, 0, "!", false, "hello! world", "!", true);
        row("paste from the output box", "MuPaste", 5, 0, "!", true, "hello! world", "!", true);
        row("paste lines", "MuPaste", 5, 0, "1\n2\r3", false, "hello1\r\n2\r\n3 world", "1\n2\r3",
            true);
        row("paste nothing deletes", "MuPaste", 0, 6, "", false, "world", "", true);
        row("delete", "MuDel", 5, 6, "x", false, "hello", "x", true);
        row("delete from the output box", "MuDel", 0, 6, "x", true, "world", "x", true);
    }

    void editCommands() {
        QFETCH(QString, command);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, clipboard);
        QFETCH(bool, focusInOutput);
        QFETCH(QString, text);
        QFETCH(QString, clipboardAfter);
        QFETCH(bool, changed);
        setInput(kText, start, length);
        if (focusInOutput) {
            form->Text2->setFocus();
            form->Text1->setSelStart(start); // the box keeps its selection without the focus
            form->Text1->setSelLength(length);
        }
        form->SelectionRule();
        const bool before = sixEnabled();
        host.clipboard = clipboard;
        form->findChild<QAction*>(command)->trigger();

        QCOMPARE(form->Text1->text(), text);
        QCOMPARE(host.clipboard, clipboardAfter);
        QCOMPARE(form->InputChanged, changed);
        // Cut and delete apply the selection rule; copy and paste leave it alone.
        const bool rule = command == QLatin1String("MuCut") || command == QLatin1String("MuDel");
        QCOMPARE(sixEnabled(), rule ? false : before);
        QCOMPARE(QApplication::focusWidget(), focusInOutput ? form->Text2 : form->Text1);
    }

    void undoBringsBackWhatPasteReplaced_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("text") << QStringLiteral("bye");
        QTest::newRow("nothing") << QString();
    }

    void undoBringsBackWhatPasteReplaced() {
        QFETCH(QString, clipboard);
        setInput(kText, 0, 5);
        host.clipboard = clipboard;
        form->MuPaste_Click();
        QCOMPARE(form->Text1->text(), clipboard + QStringLiteral(" world"));
        form->Text2->setFocus();
        setSix(true);
        form->MuUnDo->trigger();
        QCOMPARE(form->Text1->text(), kText);
        QVERIFY(!sixEnabled()); // caret only after the undo
    }

    void placeholderStaysOutOfTheUndoHistory_data() {
        QTest::addColumn<bool>("undoFromTheMenu");
        QTest::newRow("ctrl+z in the box") << false;
        QTest::newRow("menu while the placeholder shows") << true;
    }

    void placeholderStaysOutOfTheUndoHistory() {
        QFETCH(bool, undoFromTheMenu);
        TextBox* box = form->Text1;
        box->setFocus();
        QTest::keyClicks(box, kText);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), QString());
        form->Text2->setFocus();
        QCOMPARE(box->text(), QStringLiteral("输入:"));
        QVERIFY(box->fontItalic());
        if (undoFromTheMenu) {
            form->MuUnDo_Click();
        } else {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(box->text(), kText);
        QVERIFY(!box->fontItalic());
    }

    void pasteOfNothingKeepsThePlaceholder() {
        form->Text2->setFocus();
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
        host.clipboard.clear();
        form->MuPaste_Click();
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
        QVERIFY(form->Text1->fontItalic());
        host.clipboard = QStringLiteral("abc");
        form->MuPaste_Click();
        QCOMPARE(form->Text1->text(), QStringLiteral("abc")); // not "abc输入:"
        QVERIFY(!form->Text1->fontItalic());
        QVERIFY(form->InputChanged);
    }

    void selectionTransforms_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("upper") << 1 << QStringLiteral("abc Hello 世界") << 4 << 8
                               << QStringLiteral("abc HELLO 世界");
        QTest::newRow("lower") << 2 << QStringLiteral("abc HELLO 世界") << 4 << 8
                               << QStringLiteral("abc hello 世界");
        QTest::newRow("chinese and digits")
            << 1 << QStringLiteral("x世界42") << 1 << 4 << QStringLiteral("x世界42");
        QTest::newRow("reverse") << 3 << QStringLiteral("abc") << 0 << 3 << QStringLiteral("cba");
        QTest::newRow("reverse a line break")
            << 3 << QStringLiteral("ab\r\ncd") << 1 << 4 << QStringLiteral("ac\n\rbd");
        QTest::newRow("reverse a surrogate pair") << 3 << (QStringLiteral("xa") + emoji + u'b') << 1
                                                  << 4 << (QStringLiteral("xb") + emoji + u'a');
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
        QCOMPARE(form->Text1->selStart(), start);
        QCOMPARE(form->Text1->selLength(), length);
        QCOMPARE(QApplication::focusWidget(), form->Text1);
        QVERIFY(sixEnabled());
        QVERIFY(form->InputChanged);
        QVERIFY(form->windowTitle().startsWith(u'*'));
        QCOMPARE(Module1().SearchText, expected); // anchored in the changed text
        QCOMPARE(Module1().BackwardStart, start);
    }

    void transformOfAnEmptySelectionChangesNothing() {
        setInput(kText, 4, 0);
        setSix(true); // as a menu paste can leave them
        for (auto command :
             {&Form1::Command1_Click, &Form1::Command2_Click, &Form1::Command3_Click}) {
            (form.get()->*command)();
            QCOMPARE(form->Text1->text(), kText);
            QVERIFY(!sixEnabled());
            setSix(true);
        }
    }

    void wordReversal_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("placeholder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("text") << QStringLiteral("hello world") << false
                              << QStringLiteral("olleh dlrow");
        QTest::newRow("empty") << QString() << false << QString();
        QTest::newRow("placeholder") << QString() << true << QStringLiteral("输入:");
    }

    void wordReversal() {
        QFETCH(QString, text);
        QFETCH(bool, placeholder);
        QFETCH(QString, expected);
        setInput(text, 3, 2);
        form->Text4->setText(QStringLiteral(" "));
        QWidget* focus = placeholder      ? static_cast<QWidget*>(form->Text2)
                         : text.isEmpty() ? static_cast<QWidget*>(form->Text1)
                                          : form->Text4;
        focus->setFocus();
        form->Command4_Click();
        QCOMPARE(form->Text1->text(), expected);
        QCOMPARE(form->InputChanged, !text.isEmpty());
        if (text.isEmpty()) {
            QCOMPARE(host.messages.size(), 1);
            QCOMPARE(host.messages[0].prompt, QStringLiteral("文本不能为空"));
            QCOMPARE(host.messages[0].style, 48);
            QCOMPARE(host.messages[0].title, QStringLiteral("Quillet"));
        } else {
            QVERIFY(host.messages.isEmpty());
            QCOMPARE(form->Text1->selStart(), 0);
            QCOMPARE(form->Text1->selLength(), 0);
            QCOMPARE(QApplication::focusWidget(), form->Text1);
        }
    }

    void separatorInsertion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("changed");
        auto row = [](const char* name, const char* t, const char* p, const char* sep,
                      const char* e, bool changed) {
            QTest::newRow(name) << QString::fromUtf8(t) << QString::fromUtf8(p)
                                << QString::fromUtf8(sep) << QString::fromUtf8(e) << changed;
        };
        row("every 3", "abcdefg", "3", "-", "abc-def-g", true);
        row("interval 0", "abc", "0", "-", "abc", false);
        row("empty pattern", "abc", "", "-", "abc", false);
        row("spaces only", "   ", "1", " ", "", false);
        row("empty separator", "ab  ", "9 9", "", "ab", true);
    }

    void separatorInsertion() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QFETCH(bool, changed);
        setInput(text, 1, 0);
        form->Text3->setText(pattern);
        form->Text4->setText(separator);
        form->Command5->setFocus();
        form->Command5_Click();
        QCOMPARE(form->Text1->text(), expected);
        QCOMPARE(form->InputChanged, changed);
        QCOMPARE(form->Command6->isEnabled(), !expected.isEmpty());
        // The focus is not moved (an emptied box disables the button, which then loses it).
        QVERIFY(QApplication::focusWidget() != form->Text1);
        QCOMPARE(form->Text3->text(), pattern);
        QVERIFY(host.messages.isEmpty());
    }

    void anchoringAtKeyRelease_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("selected");
        QTest::newRow("caret at 0") << 11 << 0 << 0;
        QTest::newRow("caret at the end") << 11 << 11 << 0;
        QTest::newRow("selection") << 11 << 3 << 4;
        QTest::newRow("beyond 16 bits") << 50000 << 40000 << 0;
    }

    void anchoringAtKeyRelease() {
        QFETCH(int, length);
        QFETCH(int, start);
        QFETCH(int, selected);
        const QString text = QString(kText).repeated(length / kText.size() + 1).left(length);
        setInput(text, start, selected);
        QTest::keyRelease(form->Text1, Qt::Key_Shift);
        const SearchState& s = Module1();
        QCOMPARE(s.SearchText, text);
        QCOMPARE(s.TextBeforeCaret(), QStringView(text).left(start));
        QCOMPARE(s.BackwardStart, start);
        QCOMPARE(s.ForwardStart, start + 1);
        // A write without a release in the box leaves the snapshot alone.
        form->Text1->setText(QStringLiteral("other"));
        QCOMPARE(s.SearchText, text);
    }

    // The snapshot is kept up by replaying the box's edits: whatever reaches
    // the box between two releases, the snapshot at a release is its text.
    void snapshotFollowsEveryKindOfEdit() {
        QRandomGenerator rng(5);
        TextBox* box = form->Text1;
        box->setFocus();
        SearchState& s = Module1();
        for (int step = 0; step < 300; ++step) {
            const int size = int(box->text().size());
            switch (rng.bounded(7)) {
            case 0:
                QTest::keyClicks(box, QStringLiteral("ab"));
                break;
            case 1:
                QTest::keyClick(box, Qt::Key_Backspace);
                break;
            case 2:
                box->setSelStart(rng.bounded(size + 1));
                box->setSelLength(rng.bounded(4));
                box->setSelText(QStringLiteral("\r\nxy").left(rng.bounded(5)));
                break;
            case 3:
                box->setText(QString(rng.bounded(30), u'q'));
                break;
            case 4:
                if (rng.bounded(2))
                    AnchorSearch(s, QStringLiteral("elsewhere"), 3);
                else
                    s.SearchText = QStringLiteral("assigned");
                break;
            case 5:
                box->undoEdit();
                break;
            default:
                box->setSelStart(rng.bounded(size + 1));
                break;
            }
            if (rng.bounded(3) == 0) {
                QTest::keyRelease(box, Qt::Key_Shift);
                QCOMPARE(s.SearchText, box->text());
                QCOMPARE(s.BackwardStart, box->selStart());
            }
        }
    }
};

QTEST_MAIN(TstEditCommands)
#include "tst_edit_commands.moc"
