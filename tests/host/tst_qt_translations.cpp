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
    void initTestCase() { QVERIFY(installQtTranslations(*QCoreApplication::instance())); }

    void texts() {
        // Context, source, Chinese: the file dialog, the text box's menu, a line
        // box's menu, the standard buttons.
        const char* const rows[][3] = {{"QFileDialog", "Save As", "另存为"},
                                       {"QFileDialog", "&Open", "打开(&O)"},
                                       {"QFileDialog", "&Save", "保存(&S)"},
                                       {"QWidgetTextControl", "&Copy", "复制(&C)"},
                                       {"QLineEdit", "&Paste", "粘贴(&P)"},
                                       {"QPlatformTheme", "Cancel", "取消"},
                                       // Missing from Qt's translation: named by us.
                                       {"QAbstractFileIconProvider", "Folder", "文件夹"},
                                       {"QAbstractFileIconProvider", "%1 File", "%1 文件"}};
        QStringList got, expected;
        for (const auto& r : rows) {
            got << QCoreApplication::translate(r[0], r[1]);
            expected << QString::fromUtf8(r[2]);
        }
        QCOMPARE(got, expected);
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
