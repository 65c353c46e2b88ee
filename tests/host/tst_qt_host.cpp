#include "host/qt_host.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// The real host's message boxes, set up but never shown.
class TstQtHost : public QObject {
    Q_OBJECT

  private slots:
    // The answers of the two questions, and what Esc and the close box answer.
    void messageBoxButtons_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("buttons"); // caption=result, default first, Esc marked "!"
        QTest::newRow("51 unsaved changes") << 51 << u"是(&Y)=6 否(&N)=7 取消=2!"_s;
        QTest::newRow("36 yes or no") << 36 << u"是(&Y)=6 否(&N)=7!"_s;
    }

    void messageBoxButtons() {
        QFETCH(int, style);
        QFETCH(QString, buttons);
        QMessageBox box;
        const auto results = setUpMessageBox(box, QStringLiteral("prompt"), style, QString());
        QCOMPARE(box.windowTitle(), QStringLiteral("Quillet"));
        QStringList seen;
        for (const QAbstractButton* b : box.buttons())
            seen << b->text() + u'=' + QString::number(results.value(b, -1)) +
                        (b == box.escapeButton() ? QStringLiteral("!") : QString());
        // Button boxes order buttons by platform; the order of the answers is ours.
        QStringList expected = buttons.split(u' ');
        std::sort(seen.begin(), seen.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(seen, expected);
        QCOMPARE(box.defaultButton()->text(), buttons.section(u'=', 0, 0));
    }
};

QTEST_MAIN(TstQtHost)
#include "tst_qt_host.moc"
