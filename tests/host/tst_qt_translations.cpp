#include "host/qt_translations.h"

#include <QCoreApplication>
#include <QTest>

// Qt's own dialogs and menus speak the window's language.
class TstQtTranslations : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(installQtTranslations(*QCoreApplication::instance())); }

    void texts_data() {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("chinese");
        QTest::newRow("save dialog title") << "QFileDialog"
                                           << "Save As"
                                           << "另存为";
        QTest::newRow("open dialog button") << "QFileDialog"
                                            << "&Open"
                                            << "打开(&O)";
        QTest::newRow("save dialog button") << "QFileDialog"
                                            << "&Save"
                                            << "保存(&S)";
        QTest::newRow("text box menu") << "QWidgetTextControl"
                                       << "&Copy"
                                       << "复制(&C)";
        QTest::newRow("line box menu") << "QLineEdit"
                                       << "&Paste"
                                       << "粘贴(&P)";
        QTest::newRow("standard button") << "QPlatformTheme"
                                         << "Cancel"
                                         << "取消";
    }
    void texts() {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, chinese);
        QCOMPARE(QCoreApplication::translate(qPrintable(context), qPrintable(source)), chinese);
    }
};

QTEST_GUILESS_MAIN(TstQtTranslations)
#include "tst_qt_translations.moc"
