#include "form_fixtures.h"
#include "text_fixtures.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using fixtures::figures;
using fixtures::kCrLf;

namespace {

// The figures section of a report (the bars are the report's own tests);
// any other text as it is.
QString figuresSection(const QString& output) {
    if (output == kCrLf)
        return QString();
    const qsizetype end = output.indexOf(kCrLf + kCrLf);
    return end < 0 ? output : output.left(end + 2);
}

QString substringCount(int n) {
    return QStringLiteral("子字符串在原字符串中出现了:%1次").arg(n) + kCrLf +
           QStringLiteral("可以使用【工具】的【查找替换】功能来定位这些字符。");
}

} // namespace

class TstCountCommand : public QObject, FormFixture {
    Q_OBJECT

  private slots:
    void init() { start(false); }
    void cleanup() { stop(); }

    // Each control of the panel reaches the count; the preparation rules
    // themselves are the report's tests.
    void options_data() {
        // Input, Check1..Check5 ("1" ticked), option 1..3, then separator, list
        // and substring where given.
        QTest::addColumn<QStringList>("c");
        QTest::addColumn<QString>("expected");
        const QString start = QStringLiteral("01101");
        auto row = [](const char* name, const QStringList& c, const QString& expected) {
            QTest::newRow(name) << c << expected;
        };
        row("start options", {"a b\r\nb", start, "3"},
            figures("a", 1, "33.3") + figures("b", 2, "66.7"));
        row("line breaks and spaces kept", {" \r\n", "00000", "3"},
            figures("A32", 1, "33.3") + figures("A13", 1, "33.3") + figures("A10", 1, "33.3"));
        row("ignore case", {"aA", "11101", "3"}, figures("a", 2, "100.0"));
        row("separator", {"a,a", start, "3", ","}, figures("a", 2, "100.0"));
        row("separator emptied keeps the tick, not the effect", {"a,a", start, "3"},
            figures("a", 2, "66.7") + figures(",", 1, "33.3"));
        row("list", {"aAbBc", "01111", "3", "", "a b"}, figures("c", 1, "100.0"));
        row("list without its check box", {"abc", start, "3", "", "a b"},
            figures("a", 1, "33.3") + figures("b", 1, "33.3") + figures("c", 1, "33.3"));
        row("smallest count first", {"aab", start, "2"},
            figures("b", 1, "33.3") + figures("a", 2, "66.7"));
        row("largest count first", {"abb", start, "1"},
            figures("b", 2, "66.7") + figures("a", 1, "33.3"));
        row("only ignored characters", {"   ", start, "3"}, QString());
        // The substring count is exact and ignores every option; a substring
        // longer than a line box's usual limit is counted whole.
        row("substring", {"aA a b", "11111", "1", "a", "a", "A"}, substringCount(1));
        row("40,000 units in 100,000",
            {QString(100'000, u'a'), start, "3", "", "", QString(40'000, u'a')}, substringCount(2));
        row("1 M units in 999,999",
            {QString(999'999, u'a'), start, "3", "", "", QString(1'000'000, u'a')},
            substringCount(0));
        row("separator of 40,000 units",
            {QString(40'000, u'-') + u'a' + QString(40'000, u'-'), start, "3",
             QString(40'000, u'-')},
            figures("a", 1, "100.0"));
    }

    void options() {
        QFETCH(QStringList, c);
        QFETCH(QString, expected);
        const QString &checks = c[1], separator = c.value(3);
        const QList<QCheckBox*> boxes = {form->Check1, form->Check2, form->Check3, form->Check4,
                                         form->Check5};
        for (int i = 0; i < 5; ++i)
            boxes[i]->setChecked(checks[i] == u'1');
        // Inserted, as typing and pasting do, and so that every row passes a change.
        form->Text4->setText(QStringLiteral("x"));
        form->Text4->selectAll();
        form->Text4->insert(separator);
        QCOMPARE(form->Check5->isEnabled(), !separator.isEmpty());
        QCOMPARE(form->Command4->isEnabled(), !separator.isEmpty());
        QCOMPARE(form->Combo1->isEnabled(), checks[3] == u'1');
        form->Combo1->setEditText(c.value(4));
        QList<QRadioButton*>{form->Option1, form->Option2, form->Option3}[c[2].toInt() - 1]
            ->setChecked(true);
        form->Text5->insert(c.value(5));
        form->Text1->setText(c[0]);

        form->Command6->click();
        const QString fromButton = form->Text2->text();
        QCOMPARE(figuresSection(fromButton), expected);
        QVERIFY(!form->Text2->fontItalic());
        // F5 and the Edit menu item do the same.
        form->Text2->setText(QString());
        form->MuCalc->trigger();
        QCOMPARE(form->Text2->text(), fromButton);
    }

    // No line box cuts what is written or inserted into it.
    void lineBoxesKeepLongInput() {
        const QString text(40'000, u'7');
        for (QLineEdit* line : {form->Text3, form->Text4, form->Text5, form->Combo1->lineEdit()}) {
            line->setText(text);
            line->insert(text);
            QCOMPARE(line->text().size(), 80'000);
        }
    }

    // One mechanism holds Text3 to digits and spaces, for typing and pasting alike.
    void numberBoxTakesDigitsAndSpacesOnly() {
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->MuToolBox->trigger();
        form->Text3->setFocus();
        QTest::keyClicks(form->Text3, QStringLiteral("/0 9:x"));
        QTest::sendKeyEvent(QTest::Click, form->Text3, Qt::Key_unknown, QStringLiteral("五"), {});
        QCOMPARE(form->Text3->text(), QStringLiteral("0 9"));
        QTest::keyClick(form->Text3, Qt::Key_Backspace);
        QCOMPARE(form->Text3->text(), QStringLiteral("0 "));
        QGuiApplication::clipboard()->setText(QStringLiteral("3a"));
        form->Text3->paste();
        QCOMPARE(form->Text3->text(), QStringLiteral("0 "));
        QGuiApplication::clipboard()->setText(QStringLiteral("34 5"));
        form->Text3->paste();
        QCOMPARE(form->Text3->text(), QStringLiteral("0 34 5"));
        QInputMethodEvent committed;
        committed.setCommitString(QStringLiteral("7八"));
        QCoreApplication::sendEvent(form->Text3, &committed);
        QCOMPARE(form->Text3->text(), QStringLiteral("0 34 5"));
    }
};

QTEST_MAIN(TstCountCommand)
#include "tst_count_command.moc"
