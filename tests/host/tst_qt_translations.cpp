#include "host/qt_translations.h"

#include <QCoreApplication>
#include <QTest>

// Qt's own dialogs and menus speak the window's language.
class TstQtTranslations : public QObject {
    Q_OBJECT

  private slots:
    // The Chinese catalogue of Qt's own texts is found and in effect.
    void installsTheChineseCatalogue() {
        QVERIFY(installQtTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    }
};

QTEST_GUILESS_MAIN(TstQtTranslations)
#include "tst_qt_translations.moc"
