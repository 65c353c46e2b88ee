#include "host/qt_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
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

    // A short message still shows its whole title: the box is as wide as it needs.
    void wideEnoughForTheTitle_data() {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("title");
        QTest::newRow("error number") << QStringLiteral("错误:17") << QString();
        QTest::newRow("go to line") << QStringLiteral("行数超过范围") << QString();
        QTest::newRow("long title")
            << QStringLiteral("完成...") << QStringLiteral("Quillet 的一个很长很长的消息框标题");
    }
    void wideEnoughForTheTitle() {
        QFETCH(QString, prompt);
        QFETCH(QString, title);
        QMessageBox box;
        setUpMessageBox(box, prompt, 64, title);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY2(
            box.width() >= titleBarWidth(box.windowTitle()),
            qPrintable(
                QStringLiteral("%1 < %2").arg(box.width()).arg(titleBarWidth(box.windowTitle()))));
        QVERIFY(titleBarWidth(box.windowTitle()) >
                box.fontMetrics().horizontalAdvance(box.windowTitle()) + 100);
    }

    // A box's copy comes back exactly; other programs see LF line breaks, and
    // their text comes in with CR LF.
    void clipboardKeepsTheExactText() {
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->setText(QStringLiteral("probe"));
        if (clipboard->text() != QStringLiteral("probe"))
            QSKIP("no clipboard on this platform");
        QtHost host;
        const QString exact = QStringLiteral("a\nb\rc\r\nd");
        host.setClipboardText(exact);
        QCOMPARE(clipboard->text(), QStringLiteral("a\nb\rc\nd"));
        QCOMPARE(host.clipboardText(), exact);
        clipboard->setText(QStringLiteral("1\n2\r3"));
        QCOMPARE(host.clipboardText(), QStringLiteral("1\r\n2\r\n3"));
        host.clearClipboard();
        QCOMPARE(host.clipboardText(), QString());
    }
};

QTEST_MAIN(TstQtHost)
#include "tst_qt_host.moc"
