#include "form_fixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

const QString kUntitledTitle = QStringLiteral("未命名 - Quillet");

} // namespace

class TstMainWindow : public QObject, FormFixture {
    Q_OBJECT

  private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void startState() {
        QCOMPARE(form->windowTitle(), kUntitledTitle);
        QVERIFY(form->Text1->hasFocus());
        QCOMPARE(looks(form->Text2), QStringLiteral("输出: (italic)"));
        QVERIFY(form->Text2->isReadOnly());
        QVERIFY(!form->Frame1->isVisible() && !form->MuToolBox->isChecked());
        // What needs text, a selection or a separator starts disabled.
        for (const QObject* o : std::initializer_list<const QObject*>{
                 form->Command1, form->Command2, form->Command3, form->Command4, form->Command5,
                 form->Command6, form->Check5, form->Combo1, form->MuCut, form->MuCopy, form->MuDel,
                 form->MuCalc, form->MuFind})
            QVERIFY2(!o->property("enabled").toBool(), qPrintable(o->objectName()));
    }

    // The boxes fill what the toolbox leaves them; in a window narrower than the
    // toolbox they keep their width, and hiding the toolbox gives the room back.
    void toolboxTakesRoom() {
        auto geometry = [this](QWidget* w) { return form->twipGeometry(w); };
        const float full = geometry(form->Text1).width;
        QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(form->Frame1->isVisible() && form->MuToolBox->isChecked());
        const float narrowed = geometry(form->Text1).width;
        QVERIFY(narrowed > 0 && narrowed < full);
        QVERIFY(narrowed < geometry(form->Frame1).left);
        QCOMPARE(geometry(form->Text2).width, narrowed);
        QCOMPARE(geometry(form->Frame1).height, form->ScaleHeight());
        const QSize small(150, 400);
        form->resize(form->size() + small - form->centralWidget()->size());
        QTRY_COMPARE(form->centralWidget()->size(), small);
        QCOMPARE(geometry(form->Text1).width, narrowed);
        QCOMPARE(geometry(form->Text2).top + geometry(form->Text2).height, form->ScaleHeight());
        form->MuToolBox->trigger();
        QVERIFY(!form->Frame1->isVisible() && !form->MuToolBox->isChecked());
        QCOMPARE(geometry(form->Text1).width, form->ScaleWidth());
    }

    void inputPlaceholder() {
        QTest::keyClick(form->Text1, Qt::Key_Tab);
        QVERIFY(form->Text2->hasFocus());
        QCOMPARE(looks(form->Text1), QStringLiteral("输入: (italic)"));
        QVERIFY(!form->Command6->isEnabled());
        form->Text1->setFocus();
        QCOMPARE(looks(form->Text1), QString());
        QVERIFY(!form->InputChanged);
        QCOMPARE(form->windowTitle(), kUntitledTitle);
        // Typed in the normal style, the same text is text, kept on leaving and coming back.
        typeText(form->Text1, QStringLiteral("输入:"));
        form->Text2->setFocus();
        form->Text1->setFocus();
        QCOMPARE(looks(form->Text1), QStringLiteral("输入:"));
    }

    void outputPlaceholder() {
        form->Text2->setFocus();
        QCOMPARE(looks(form->Text2), QStringLiteral(" (italic)"));
        form->Text1->setFocus();
        QCOMPARE(looks(form->Text2), QStringLiteral("输出: (italic)"));
        // A report (italics off) is kept when the box takes the focus.
        showReport(QStringLiteral("report"));
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
        typeText(form->Text1, QStringLiteral("字ab"));
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
