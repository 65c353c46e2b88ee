// The one-line boxes of the toolbox keep whatever is typed or pasted into them,
// however long: a cut-off substring would give a wrong count without a word.
#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TstUnlimitedBoxes : public QObject {
    Q_OBJECT

    ScriptedHost host;
    std::unique_ptr<Form1> form;

    QLineEdit* box(const char* name) const { return form->findChild<QLineEdit*>(name); }

  private slots:
    void init() {
        host = ScriptedHost();
        form = std::make_unique<Form1>(host);
    }
    void cleanup() {
        form->InputChanged = false;
        form.reset();
    }

    void nothingIsCut_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("Text3 digits") << QStringLiteral("Text3") << QString(1'000'000, u'7');
        QTest::newRow("Text4 separator") << QStringLiteral("Text4") << QString(1'000'000, u'-');
        QTest::newRow("Text5 substring") << QStringLiteral("Text5") << QString(1'000'000, u'字');
    }
    void nothingIsCut() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QLineEdit* line = box(name.toLatin1().constData());
        QVERIFY(line);
        line->setText(text);
        QCOMPARE(line->text().size(), text.size());
        // Inserting goes through the same limit as typing and pasting.
        line->clear();
        line->insert(text.left(40'000));
        line->insert(text.left(40'000));
        QCOMPARE(line->text().size(), 80'000);
    }

    void longSubstringIsCountedWhole_data() {
        QTest::addColumn<int>("textLength");
        QTest::addColumn<int>("substringLength");
        QTest::addColumn<int>("count");
        QTest::newRow("40,000 in 100,000") << 100'000 << 40'000 << 2;
        QTest::newRow("1 M in 2.5 M") << 2'500'000 << 1'000'000 << 2;
        QTest::newRow("1 M in 999,999") << 999'999 << 1'000'000 << 0;
    }
    void longSubstringIsCountedWhole() {
        QFETCH(int, textLength);
        QFETCH(int, substringLength);
        QFETCH(int, count);
        form->Text1->setText(QString(textLength, u'a'));
        box("Text5")->insert(QString(substringLength, u'a'));
        auto* command = form->findChild<QPushButton*>("Command6");
        QVERIFY(command->isEnabled());
        command->click();
        QCOMPARE(form->Text2->text().section(QStringLiteral("\r\n"), 0, 0),
                 QStringLiteral("子字符串在原字符串中出现了:%1次").arg(count));
    }
};

QTEST_MAIN(TstUnlimitedBoxes)
#include "tst_unlimited_boxes.moc"
