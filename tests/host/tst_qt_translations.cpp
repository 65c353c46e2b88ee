#include "host/file_dialog.h"
#include "host/qt_translations.h"

#include <QAbstractFileIconProvider>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTest>

// Qt's own dialogs and menus speak the window's language.
class TstQtTranslations : public QObject {
    Q_OBJECT

  private slots:
    // The Chinese catalogue of Qt's own texts is found and in effect, and the
    // texts it lacks are named by us.
    void installsTheChineseCatalogue() {
        QVERIFY(installQtTranslations(*QCoreApplication::instance()));
        const QStringList got = {
            QCoreApplication::translate("QPlatformTheme", "Cancel"),
            QCoreApplication::translate("QAbstractFileIconProvider", "Folder"),
            QCoreApplication::translate("QAbstractFileIconProvider", "%1 File")};
        QCOMPARE(got, (QStringList{QStringLiteral("取消"), QStringLiteral("文件夹"),
                                   QStringLiteral("%1 文件")}));
    }

    // The file dialog's type column, as Qt's file model asks for it.
    void fileDialogTypeColumn() {
        const QAbstractFileIconProvider provider;
        QCOMPARE(provider.type(QFileInfo(QStringLiteral("/usr"))), QStringLiteral("文件夹"));
        QTemporaryFile file(QDir::tempPath() + QStringLiteral("/XXXXXX.txt"));
        QVERIFY(file.open());
        // Files the system would name by its English type: named by ours.
        QCOMPARE(fileTypeName(QFileInfo(file.fileName())), QStringLiteral("txt 文件"));
        QCOMPARE(fileTypeName(QFileInfo(QStringLiteral("/usr"))), QStringLiteral("文件夹"));
        QCOMPARE(fileTypeName(QFileInfo(QStringLiteral("/etc/hostname"))), QStringLiteral("文件"));
    }
};

QTEST_GUILESS_MAIN(TstQtTranslations)
#include "tst_qt_translations.moc"
