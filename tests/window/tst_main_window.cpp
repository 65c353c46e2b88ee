#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QString kUntitledTitle = QStringLiteral("未命名 - Quillet");

struct MenuRow {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool enabled;
};

// The whole menu tree in order; "-" captions are separators.
const MenuRow kMenuTree[] = {
    {"MuFile", "文件(&F)", "", true},
    {"MuNew", "新建(&N)", "Ctrl+N", true},
    {"MuOpen", "打开(&O)...", "Ctrl+O", true},
    {"MuSave", "保存输入框(&S)", "Ctrl+S", true},
    {"MuSave2", "保存输出框(&V)", "", true},
    {"MuSaveAs", "输入框另存为(&A)...", "", true},
    {"MuSaveAs2", "输出框另存为(&E)...", "", true},
    {"MuInt3", "-", "", true},
    {"MuExit", "退出(&X)", "", true},
    {"MuEdit", "编辑(&E)", "", true},
    {"MuUnDo", "撤销(&U)", "", true},
    {"MuInt1", "-", "", true},
    {"MuCut", "剪切(&T)", "", false},
    {"MuCopy", "复制(&C)", "", false},
    {"MuPaste", "粘贴(&P)", "", true},
    {"MuDel", "删除(&L)", "", false},
    {"MuInt2", "-", "", true},
    {"MuSelectAll", "全选输入框(&A)", "Ctrl+A", true},
    {"MuSelectAllB", "全选输出框(&B)", "Ctrl+B", true},
    {"MuClear", "清空输出框(&E)", "F4", true},
    {"MuCalc", "计算字频(J)", "F5", false},
    {"MuView", "查看(&V)", "", true},
    {"MuToolBox", "工具箱(&X)", "Ctrl+T", true},
    {"MuTool", "工具(&T)", "", true},
    {"MuFind", "查找/替换(&F)...", "Ctrl+F", false},
    {"MuGoTo", "转到行(&G)...", "Ctrl+G", true},
    {"MuHelp", "帮助(&H)", "", true},
    {"MuHelpT", "帮助主题(&H)", "F1", true},
    {"MuInt4", "-", "", true},
    {"MuAbout", "关于Quillet(&A)...", "", true},
};

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
        for (QWidget* w : std::initializer_list<QWidget*>{
                 form->Command1, form->Command2, form->Command3, form->Command4, form->Command5,
                 form->Command6, form->Check5, form->Combo1})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(form->Command7->isEnabled());
        QVERIFY(!form->Check1->isChecked());
        QVERIFY(form->Check2->isChecked());
        QVERIFY(form->Check3->isChecked());
        QVERIFY(!form->Check4->isChecked());
        QVERIFY(form->Check5->isChecked());
        QVERIFY(form->Option3->isChecked());
        QVERIFY(!form->Option1->isChecked() && !form->Option2->isChecked());
        QCOMPARE(form->Frame1->title(), QStringLiteral("工具箱"));
        // Both boxes span the client width.
        QCOMPARE(form->twipGeometry(form->Text1).width, form->ScaleWidth());
        QCOMPARE(form->twipGeometry(form->Text2).width, form->ScaleWidth());
    }

    void controlsAreNamedAndPlaced_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRectF>("twips");
        auto row = [](const char* n, const char* c, QRectF r) {
            QTest::newRow(n) << QString::fromLatin1(n) << QString::fromUtf8(c) << r;
        };
        row("Check1", "忽略大小写", {120, 240, 1455, 255});
        row("Check2", "忽略换行符", {120, 480, 1455, 255});
        row("Check3", "忽略空格", {120, 720, 1455, 255});
        row("Check4", "忽略指定字符", {120, 960, 1455, 255});
        row("Combo1", "", {1680, 960, 1455, 300});
        row("Check5", "忽略分隔符", {120, 1200, 1455, 255});
        row("Command1", "大写", {120, 1560, 1455, 255});
        row("Command2", "小写", {1680, 1560, 1455, 255});
        row("Command3", "倒序", {120, 1920, 1455, 255});
        row("Command4", "词倒序", {1680, 1920, 1455, 255});
        row("Command5", "加分隔符", {120, 2280, 1455, 255});
        row("Text3", "", {1680, 2280, 1455, 270});
        row("Label1", "分隔符", {120, 2640, 1455, 255});
        row("Text4", "", {1680, 2640, 1455, 270});
        row("Label2", "指定字符字频", {120, 3000, 1455, 255});
        row("Text5", "", {1680, 3000, 1455, 270});
        row("Option1", "按频率顺序", {120, 3360, 1455, 255});
        row("Option2", "按频率倒序", {1680, 3360, 1455, 255});
        row("Option3", "按出现顺序", {120, 3720, 1335, 255});
        row("Command6", "计算字频", {120, 4080, 1455, 255});
        row("Command7", "计算器", {1680, 4080, 1455, 255});
    }

    void controlsAreNamedAndPlaced() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRectF, twips);
        auto* w = form->Frame1->findChild<QWidget*>(name);
        QVERIFY(w);
        const QVariant text = w->property("text");
        if (caption.isEmpty())
            QVERIFY(!text.isValid() || text.toString().isEmpty());
        else
            QCOMPARE(text.toString(), caption);
        const Form1::TwipRect r = form->twipGeometry(w);
        QCOMPARE(QRectF(r.left, r.top, r.width, r.height), twips);
    }

    void menuTreeInOrder() {
        QStringList seen;
        for (QAction* top : form->menuBar()->actions()) {
            seen << top->objectName() + u'|' + top->text() + QStringLiteral("||1");
            for (QAction* a : top->menu()->actions())
                seen << a->objectName() + u'|' +
                            (a->isSeparator() ? QStringLiteral("-") : a->text()) + u'|' +
                            a->shortcut().toString() + u'|' + (a->isEnabled() ? u'1' : u'0');
        }
        QStringList expected;
        for (const MenuRow& r : kMenuTree)
            expected << QString::fromLatin1(r.name) + u'|' + QString::fromUtf8(r.caption) + u'|' +
                            QString::fromLatin1(r.shortcut) + u'|' + (r.enabled ? u'1' : u'0');
        QCOMPARE(seen, expected);
    }

    void comboPresets() {
        QCOMPARE(form->Combo1->count(), 3);
        const QString a = form->Combo1->itemText(0);
        const QString b = form->Combo1->itemText(1);
        const QString c = form->Combo1->itemText(2);
        QCOMPARE(a.size(), 63);
        QCOMPARE(b.size(), 69);
        QCOMPARE(c.size(), 132);
        QCOMPARE(c, a + b);
        QVERIFY(a.startsWith(QStringLiteral("~ ` ! @")) && a.endsWith(QStringLiteral(". ? /")));
        QVERIFY(a.contains(QStringLiteral(" \\ { [ } ] : ; \" ' < , > ")));
        QVERIFY(b.contains(QStringLiteral("% \u2026\u2026 \u2014 *")));
        QVERIFY(b.endsWith(QStringLiteral("\u3002 \uFF1F /")));
        QCOMPARE(form->Combo1->currentText(), QString());
    }

    void layoutHalvesTheClientArea() {
        const float h = form->ScaleHeight();
        QCOMPARE(form->twipGeometry(form->Text1).height, h / 2 - 16);
        QCOMPARE(form->twipGeometry(form->Text2).height, h / 2 - 16);
        QCOMPARE(form->twipGeometry(form->Text2).top, h / 2 + 16);
        if (qFuzzyCompare(h, 4545.0f)) {
            QCOMPARE(form->twipGeometry(form->Text1).height, 2256.5f);
            QCOMPARE(form->twipGeometry(form->Text2).top, 2288.5f);
        }
    }

    void designClientAreaAtStart() {
        // 8595 x 4545 twips at 96 DPI is 573 x 303 pixels.
        const double dpi = form->logicalDpiY();
        QCOMPARE(form->centralWidget()->width(), int(std::lround(8595 * dpi / 1440)));
        QCOMPARE(form->centralWidget()->height(), int(std::lround(4545 * dpi / 1440)));
    }

    void toolboxShowsAndHides() {
        const float w = form->ScaleWidth();
        form->MuToolBox->trigger();
        QVERIFY(form->Frame1->isVisible());
        QVERIFY(form->MuToolBox->isChecked());
        QCOMPARE(form->twipGeometry(form->Text1).width, w - 3375);
        QCOMPARE(form->twipGeometry(form->Text2).width, w - 3375);
        QCOMPARE(form->twipGeometry(form->Frame1).left, w - 3375 + 60);
        QCOMPARE(form->twipGeometry(form->Frame1).height, form->ScaleHeight());
        QCOMPARE(form->twipGeometry(form->Frame1).width, 3255.0f);
        // Ctrl+T again restores the full width.
        QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(!form->Frame1->isVisible());
        QVERIFY(!form->MuToolBox->isChecked());
        QCOMPARE(form->twipGeometry(form->Text1).width, w);
    }

    void layoutFollowsResize() {
        form->MuToolBox->trigger();
        form->resize(800, 500);
        QTRY_COMPARE(form->centralWidget()->width(), 800);
        const float w = form->ScaleWidth();
        const float h = form->ScaleHeight();
        QCOMPARE(form->twipGeometry(form->Text1).width, w - 3375);
        QCOMPARE(form->twipGeometry(form->Text2).top, h / 2 + 16);
        QCOMPARE(form->twipGeometry(form->Frame1).height, h);
    }

    void narrowWindowSkipsRefusedWidths() {
        form->MuToolBox->trigger();
        const float before = form->twipGeometry(form->Text1).width;
        form->resize(150, 400); // 2250 twips at 96 DPI: narrower than the toolbox
        QTRY_COMPARE(form->centralWidget()->width(), 150);
        QCOMPARE(form->twipGeometry(form->Text1).width, before);
        QCOMPARE(form->twipGeometry(form->Frame1).left, before + 60);
        QCOMPARE(form->twipGeometry(form->Text1).height, form->ScaleHeight() / 2 - 16);
    }

    void inputPlaceholder() {
        form->Text2->setFocus();
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
        QVERIFY(form->Text1->fontItalic());
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), kUntitledTitle);
        QVERIFY(!form->Command6->isEnabled());
        form->Text1->setFocus();
        QCOMPARE(form->Text1->text(), QString());
        QVERIFY(!form->Text1->fontItalic());
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), kUntitledTitle);
    }

    void typedPlaceholderTextIsText() {
        typeInto(form->Text1, QStringLiteral("输入:"));
        form->Text2->setFocus();
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
        QVERIFY(!form->Text1->fontItalic());
        form->Text1->setFocus();
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
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
    }

    void typingMarksTheDocumentChanged() {
        typeInto(form->Text1, QStringLiteral("字"));
        QVERIFY(form->InputChanged);
        QCOMPARE(form->windowTitle(), u'*' + kUntitledTitle);
        QVERIFY(form->MuFind->isEnabled());
        QVERIFY(form->Command5->isEnabled());
        QVERIFY(form->Command6->isEnabled());
        QVERIFY(form->MuCalc->isEnabled());
        QVERIFY(!form->Command1->isEnabled());
        QVERIFY(!form->Command2->isEnabled());
        QVERIFY(!form->Command3->isEnabled());
        typeInto(form->Text1, QStringLiteral("ab"));
        QCOMPARE(form->windowTitle(), u'*' + kUntitledTitle);
        // Emptying the box disables the text commands but the document stays changed.
        form->Text1->setSelStart(0);
        form->Text1->setSelLength(3);
        QTest::keyClick(form->Text1, Qt::Key_Delete);
        QCOMPARE(form->Text1->text(), QString());
        QVERIFY(!form->Command6->isEnabled());
        QVERIFY(!form->MuCalc->isEnabled());
        QVERIFY(!form->MuFind->isEnabled());
        QVERIFY(form->InputChanged);
        QCOMPARE(form->windowTitle(), u'*' + kUntitledTitle);
    }

    void changeWithASelectionEnablesTheCaseCommands() {
        form->Text1->setText(QStringLiteral("abc"));
        form->Text1->setSelStart(0);
        form->Text1->setSelLength(2);
        form->Text1_Change();
        QVERIFY(form->Command1->isEnabled());
        QVERIFY(form->Command2->isEnabled());
        QVERIFY(form->Command3->isEnabled());
    }

    void outputChangesNeverMarkTheDocument() {
        form->Text2->setText(QStringLiteral("x"));
        form->Text2->setText(QString());
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), kUntitledTitle);
    }

    void tabMovesTheFocus() {
        QTest::keyClick(form->Text1, Qt::Key_Tab);
        QVERIFY(form->Text2->hasFocus());
        QCOMPARE(form->Text1->text(), QStringLiteral("输入:"));
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
