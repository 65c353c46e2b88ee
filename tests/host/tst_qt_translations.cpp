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
        auto row = [](const char* context, const char* source, const char* chinese) {
            QTest::newRow(source) << QString(context) << QString(source) << QString(chinese);
        };
        row("QFileDialog", "Save As", "另存为");
        row("QFileDialog", "&Open", "打开(&O)");
        row("QFileDialog", "&Save", "保存(&S)");
        row("QWidgetTextControl", "&Copy", "复制(&C)"); // the text box's menu
        row("QLineEdit", "&Paste", "粘贴(&P)");
        row("QPlatformTheme", "Cancel", "取消"); // standard buttons
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
