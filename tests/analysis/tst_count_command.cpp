#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString substringAnswer(int n) {
    return QStringLiteral("子字符串在原字符串中出现了:") + QString::number(n) +
           QStringLiteral("次") + kCrLf +
           QStringLiteral("可以使用【工具】的【查找替换】功能来定位这些字符。");
}

QString figures(const QString& label, int count, const QString& freq) {
    return label + QStringLiteral(" 出现的次数为:") + QString::number(count) +
           QStringLiteral("出现频率为:") + freq + kCrLf;
}

} // namespace

class TstCountCommand : public QObject {
    Q_OBJECT

    ScriptedHost host;
    std::unique_ptr<Form1> form;

    QString run(const QString& input) {
        form->Text1->setText(input);
        form->Command6_Click();
        return form->Text2->text();
    }

  private slots:
    void init() {
        host = ScriptedHost();
        form = std::make_unique<Form1>(host);
    }
    void cleanup() {
        form->InputChanged = false;
        form.reset();
    }

    void substringCount_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("substring");
        QTest::addColumn<bool>("lowerCase");
        QTest::addColumn<int>("count");
        QTest::newRow("non-overlapping")
            << QStringLiteral("aaaa") << QStringLiteral("aa") << false << 2;
        QTest::newRow("case-sensitive")
            << QStringLiteral("aA") << QStringLiteral("A") << false << 1;
        QTest::newRow("case option ignored")
            << QStringLiteral("aA") << QStringLiteral("A") << true << 1;
        QTest::newRow("spaces kept")
            << QStringLiteral("a b") << QStringLiteral("a b") << false << 1;
        QTest::newRow("absent") << QStringLiteral("abc") << QStringLiteral("z") << false << 0;
        QTest::newRow("line breaks")
            << QStringLiteral("1\r\n2\r\n") << QStringLiteral("\r\n") << false << 2;
    }

    void substringCount() {
        QFETCH(QString, input);
        QFETCH(QString, substring);
        QFETCH(bool, lowerCase);
        QFETCH(int, count);
        form->Check1->setChecked(lowerCase);
        form->Text5->setText(substring);
        QCOMPARE(run(input), substringAnswer(count));
        QVERIFY(!form->Text2->fontItalic());
    }

    void tallyWithStartOptions() {
        QCOMPARE(run(QStringLiteral("a b\r\nb")),
                 figures("a", 1, "33.3") + figures("b", 2, "66.7") + kCrLf + QStringLiteral("a  ") +
                     QString(33, u'*') + kCrLf + QStringLiteral("b  ") + QString(66, u'*') + kCrLf);
        QVERIFY(!form->Text2->fontItalic());
    }

    void ignoreCase() {
        form->Check1->setChecked(true);
        QVERIFY(run(QStringLiteral("aA")).startsWith(figures("a", 2, "100.0") + kCrLf));
    }

    void separatorFollowsItsBox() {
        form->Text4->setText(QStringLiteral(","));
        QVERIFY(form->Check5->isEnabled());
        QVERIFY(form->Command4->isEnabled());
        QVERIFY(run(QStringLiteral("a,a")).startsWith(figures("a", 2, "100.0") + kCrLf));
        form->Text4->setText(QString());
        QVERIFY(!form->Check5->isEnabled());
        QVERIFY(!form->Command4->isEnabled());
        QVERIFY(form->Check5->isChecked());
        QVERIFY(run(QStringLiteral("a,a")).contains(figures(",", 1, "33.3")));
    }

    void listFollowsItsCheckBox() {
        form->Combo1->setEditText(QStringLiteral("a b"));
        QVERIFY(!form->Combo1->isEnabled());
        QVERIFY(run(QStringLiteral("abc")).startsWith(figures("a", 1, "33.3")));
        form->Check4->setChecked(true);
        QVERIFY(form->Combo1->isEnabled());
        QCOMPARE(run(QStringLiteral("aAbBc")), figures("c", 1, "100.0") + kCrLf +
                                                   QStringLiteral("c  ") + QString(100, u'*') +
                                                   kCrLf);
        form->Check4->setChecked(false);
        QVERIFY(!form->Combo1->isEnabled());
    }

    void ordersFollowTheOptionButtons() {
        form->Option2->setChecked(true);
        QVERIFY(run(QStringLiteral("aab")).startsWith(figures("b", 1, "33.3")));
        form->Option1->setChecked(true);
        QVERIFY(run(QStringLiteral("abb")).startsWith(figures("b", 2, "66.7")));
    }

    void onlyIgnoredCharacters() {
        QCOMPARE(run(QStringLiteral("   ")), kCrLf);
        form->Check3->setChecked(false);
        form->Check2->setChecked(false);
        QVERIFY(run(QStringLiteral(" \r\n")).startsWith(figures("A32", 1, "33.3")));
    }

    void menuItemDoesTheSame() {
        form->Text1->setText(QStringLiteral("中中文"));
        QVERIFY(form->MuCalc->isEnabled());
        form->MuCalc->trigger();
        const QString fromMenu = form->Text2->text();
        form->Text2->setText(QString());
        form->Command6->click();
        QCOMPARE(form->Text2->text(), fromMenu);
        QVERIFY(fromMenu.contains(QStringLiteral("中 ") + QString(66, u'*')));
    }

    void numberBoxTakesDigitsSpaceAndBackspace() {
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->MuToolBox->trigger();
        form->Text3->setFocus();
        QTest::keyClicks(form->Text3, QStringLiteral("1 2x"));
        QCOMPARE(form->Text3->text(), QStringLiteral("1 2"));
        QTest::keyClick(form->Text3, Qt::Key_Backspace);
        QCOMPARE(form->Text3->text(), QStringLiteral("1 "));
        QTest::sendKeyEvent(QTest::Click, form->Text3, Qt::Key_unknown, QStringLiteral("五"), {});
        QCOMPARE(form->Text3->text(), QStringLiteral("1 "));
        // Pasting cannot bring in what typing cannot.
        QGuiApplication::clipboard()->setText(QStringLiteral("3a"));
        form->Text3->paste();
        QCOMPARE(form->Text3->text(), QStringLiteral("1 "));
        QGuiApplication::clipboard()->setText(QStringLiteral("34 5"));
        form->Text3->paste();
        QCOMPARE(form->Text3->text(), QStringLiteral("1 34 5"));
        QVERIFY(form->NumberTrue2('0', form->Text3));
        QVERIFY(form->NumberTrue2('9', form->Text3));
        QVERIFY(!form->NumberTrue2('/', form->Text3));
        QVERIFY(!form->NumberTrue2(':', form->Text3));
        QVERIFY(!form->NumberTrue2(-1, form->Text3));
    }

    void findAScansFromIndexOne() {
        const QStringList array = {QStringLiteral("x"), QStringLiteral("a"), QString()};
        QVERIFY(form->FindA(QStringLiteral("a"), array));
        QVERIFY(!form->FindA(QStringLiteral("x"), array)); // element 0 is never examined
        QVERIFY(form->FindA(QString(), array));
    }
};

QTEST_MAIN(TstCountCommand)
#include "tst_count_command.moc"
