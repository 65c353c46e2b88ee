#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QString kUntitledTitle = QStringLiteral("未命名 - Quillet");

} // namespace

class TstMainWindow : public QObject {
    Q_OBJECT

    ScriptedHost host;
    std::unique_ptr<Form1> form;

    void typeInto(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

  private slots:
    void init() {
        host = ScriptedHost();
        form = std::make_unique<Form1>(host);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() {
        form->InputChanged = false; // nothing to ask when the window closes
        form.reset();
    }

    void startState() {
        QCOMPARE(form->windowTitle(), kUntitledTitle);
        QVERIFY(form->Text1->hasFocus());
        QCOMPARE(form->Text1->text(), QString());
        QVERIFY(!form->Text1->fontItalic());
        QCOMPARE(form->Text2->text(), QStringLiteral("输出:"));
        QVERIFY(form->Text2->fontItalic());
        QVERIFY(form->Text2->isReadOnly());
        QVERIFY(!form->Frame1->isVisible());
        QVERIFY(!form->MuToolBox->isChecked());
        QVERIFY(!form->InputChanged);
        QVERIFY(form->InputFileName.isEmpty());
        // What needs text, a selection or a separator starts disabled.
        for (QWidget* w : std::initializer_list<QWidget*>{
                 form->Command1, form->Command2, form->Command3, form->Command4, form->Command5,
                 form->Command6, form->Check5, form->Combo1})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        for (QAction* a : {form->MuCut, form->MuCopy, form->MuDel, form->MuCalc, form->MuFind})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(form->Command7->isEnabled());
        QVERIFY(!form->Check1->isChecked() && !form->Check4->isChecked());
        QVERIFY(form->Check2->isChecked() && form->Check3->isChecked() &&
                form->Check5->isChecked());
        QVERIFY(form->Option3->isChecked());
        // The ready-made lists are offered, none is chosen.
        QCOMPARE(form->Combo1->count(), 3);
        QCOMPARE(form->Combo1->itemText(2), form->Combo1->itemText(0) + form->Combo1->itemText(1));
        QCOMPARE(form->Combo1->currentText(), QString());
        // The toolbox's 21 controls lie inside it, each in a place of its own.
        const auto controls = form->Frame1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QSet<QPoint> places;
        for (const QWidget* w : controls) {
            QVERIFY2(form->Frame1->rect().contains(w->geometry()), qPrintable(w->objectName()));
            places.insert(w->pos());
        }
        QCOMPARE(places.size(), 21);
    }

    // Every menu and item as the user sees it, in order, with its shortcut.
    void menus() {
        QStringList seen;
        for (QAction* top : form->menuBar()->actions()) {
            seen << top->text();
            for (QAction* a : top->menu()->actions())
                seen << (a->isSeparator()
                             ? QStringLiteral("-")
                             : (a->text() + u' ' + a->shortcut().toString()).trimmed());
        }
        QCOMPARE(seen.join(u'|'),
                 QStringLiteral("文件(&F)|新建(&N) Ctrl+N|打开(&O)... Ctrl+O|保存输入框(&S) Ctrl+S|"
                                "保存输出框(&V)|输入框另存为(&A)...|输出框另存为(&E)...|-|退出(&X)|"
                                "编辑(&E)|撤销(&U)|-|剪切(&T)|复制(&C)|粘贴(&P)|删除(&L)|-|"
                                "全选输入框(&A) Ctrl+A|全选输出框(&B) Ctrl+B|清空输出框(&E) F4|"
                                "计算字频(J) F5|查看(&V)|工具箱(&X) Ctrl+T|工具(&T)|"
                                "查找/替换(&F)... Ctrl+F|转到行(&G)... Ctrl+G|帮助(&H)|"
                                "帮助主题(&H) F1|-|关于Quillet(&A)..."));
    }

    void layout_data() {
        QTest::addColumn<bool>("toolbox");
        QTest::addColumn<QSize>("size"); // client area in pixels; empty: as designed
        QTest::newRow("as designed") << false << QSize();
        QTest::newRow("as designed, toolbox") << true << QSize();
        QTest::newRow("resized") << false << QSize(800, 500);
        QTest::newRow("resized, toolbox") << true << QSize(800, 500);
        // 2250 twips at 96 DPI: the box widths cannot be set and are kept.
        QTest::newRow("narrower than the toolbox") << true << QSize(150, 400);
    }

    void layout() {
        QFETCH(bool, toolbox);
        QFETCH(QSize, size);
        auto geometry = [this](QWidget* w) { return form->twipGeometry(w); };
        if (toolbox) {
            QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);
            QVERIFY(form->Frame1->isVisible());
            QVERIFY(form->MuToolBox->isChecked());
        }
        const float before = geometry(form->Text1).width;
        if (size.isEmpty()) {
            // 8595 x 4545 twips, 573 x 303 pixels at 96 DPI.
            const double dpi = form->logicalDpiY();
            QCOMPARE(form->centralWidget()->size(), QSize(int(std::lround(8595 * dpi / 1440)),
                                                          int(std::lround(4545 * dpi / 1440))));
        } else {
            form->resize(form->size() + size - form->centralWidget()->size());
            QTRY_COMPARE(form->centralWidget()->size(), size);
        }
        const float w = form->ScaleWidth();
        const float h = form->ScaleHeight();
        const float width = !toolbox ? w : w >= 3375 ? w - 3375 : before;
        for (TextBox* box : {form->Text1, form->Text2}) {
            QCOMPARE(geometry(box).width, width);
            QCOMPARE(geometry(box).height, h / 2 - 16);
            QCOMPARE(geometry(box).left, 0.0f);
        }
        QCOMPARE(geometry(form->Text1).top, 0.0f);
        QCOMPARE(geometry(form->Text2).top, h / 2 + 16);
        if (qFuzzyCompare(h, 4545.0f)) {
            QCOMPARE(geometry(form->Text1).height, 2256.5f);
            QCOMPARE(geometry(form->Text2).top, 2288.5f);
        }
        if (toolbox) {
            QCOMPARE(geometry(form->Frame1).left, width + 60);
            QCOMPARE(geometry(form->Frame1).top, 0.0f);
            QCOMPARE(geometry(form->Frame1).height, h);
            QCOMPARE(geometry(form->Frame1).width, 3255.0f);
            // Choosing the item again hides the toolbox and gives the width back.
            form->MuToolBox->trigger();
            QVERIFY(!form->Frame1->isVisible());
            QVERIFY(!form->MuToolBox->isChecked());
            QCOMPARE(geometry(form->Text1).width, w);
        }
    }

    void inputPlaceholder() {
        QTest::keyClick(form->Text1, Qt::Key_Tab);
        QVERIFY(form->Text2->hasFocus());
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
        QVERIFY(form->Text1->fontItalic());
        QVERIFY(!form->Command6->isEnabled());
        form->Text1->setFocus();
        QCOMPARE(form->Text1->text(), QString());
        QVERIFY(!form->Text1->fontItalic());
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), kUntitledTitle);
        // Typed in the normal style, the same text is text, kept on leaving and coming back.
        typeInto(form->Text1, QStringLiteral("输入:"));
        form->Text2->setFocus();
        form->Text1->setFocus();
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
        QVERIFY(!form->Text1->fontItalic());
    }

    void outputPlaceholder() {
        form->Text2->setFocus();
        QCOMPARE(form->Text2->text(), QString());
        QVERIFY(form->Text2->fontItalic());
        form->Text1->setFocus();
        QCOMPARE(form->Text2->text(), QStringLiteral("输出:"));
        QVERIFY(form->Text2->fontItalic());
        // A report (italics off) is kept when the box takes the focus.
        form->Text2->setFontItalic(false);
        form->Text2->setText(QStringLiteral("report"));
        form->Text2->setFocus();
        QCOMPARE(form->Text2->text(), QStringLiteral("report"));
        // The output box never marks the document changed.
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), kUntitledTitle);
    }

    void typingMarksTheDocumentChanged() {
        // MuFind, Command5, Command6, MuCalc, then the selection's Command1..3.
        auto enabled = [this] {
            QString flags;
            for (const QObject* o : std::initializer_list<const QObject*>{
                     form->MuFind, form->Command5, form->Command6, form->MuCalc, form->Command1,
                     form->Command2, form->Command3})
                flags += o->property("enabled").toBool() ? u'1' : u'0';
            return flags;
        };
        typeInto(form->Text1, QStringLiteral("字ab"));
        QVERIFY(form->InputChanged);
        QCOMPARE(form->windowTitle(), u'*' + kUntitledTitle);
        QCOMPARE(enabled(), QStringLiteral("1111000"));
        form->Text1->setSelStart(0);
        form->Text1->setSelLength(2);
        form->Text1_Change();
        QCOMPARE(enabled(), QStringLiteral("1111111"));
        QCOMPARE(form->windowTitle(), u'*' + kUntitledTitle); // one mark only
        // Emptying the box disables the text commands but the document stays changed.
        form->Text1->setSelLength(3);
        QTest::keyClick(form->Text1, Qt::Key_Delete);
        QCOMPARE(form->Text1->text(), QString());
        QCOMPARE(enabled().left(4), QStringLiteral("0000"));
        QVERIFY(form->InputChanged);
        QCOMPARE(form->windowTitle(), u'*' + kUntitledTitle);
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
