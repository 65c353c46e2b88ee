#include "dialogs/frm_about.h"
#include "file_fixtures.h"
#include "form_fixtures.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

class TestAboutHelp : public QObject, FormFixture {
    Q_OBJECT

    FrmAbout* openAbout() {
        form->MuAbout->trigger();
        return form->frmAbout();
    }
    QColor contactColour(FrmAbout* about) {
        return about->Label4->palette().color(QPalette::WindowText);
    }

  private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void aboutBoxDisablesTheMainWindowUntilClosed_data() {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("确定") << true;
        QTest::newRow("close box") << false;
    }
    void aboutBoxDisablesTheMainWindowUntilClosed() {
        QFETCH(bool, byButton);
        FrmAbout* about = openAbout();
        QVERIFY(!form->isEnabled());
        QVERIFY(about->isEnabled()); // not a child that the main window disables
        QVERIFY(about->isVisible());
        QCOMPARE(about->windowHandle()->transientParent(), form->windowHandle());
        QTest::keyClick(about, Qt::Key_Escape);
        QTest::keyClick(about, Qt::Key_Return);
        QVERIFY(about->isVisible());
        if (byButton)
            about->Command1->click();
        else
            about->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form->frmAbout());
        QVERIFY(form->isEnabled());
        QCOMPARE(form->focusWidget(), form->Text1);
    }

    void contactLineMailsAndTurnsDarkRed_data() {
        QTest::addColumn<bool>("handler");
        QTest::newRow("mail handler") << true;
        QTest::newRow("no mail handler") << false;
    }
    void contactLineMailsAndTurnsDarkRed() {
        QFETCH(bool, handler);
        host->urlHandler = handler;
        FrmAbout* about = openAbout();
        const QColor unvisited = contactColour(about);
        QTest::mouseClick(about->Label4, Qt::LeftButton);
        QTest::mouseClick(about->Label4, Qt::LeftButton);
        QCOMPARE(contactColour(about), QColor(128, 0, 0));
        const QUrl mail(QStringLiteral("mailto:" QUILLET_CONTACT_EMAIL));
        QCOMPARE(host->urls, (QList<QUrl>{mail, mail}));
        QCOMPARE(shown().size(), handler ? 0 : 2);
        if (!handler)
            QVERIFY(shown()[0].startsWith(QStringLiteral("16 Quillet: ")) &&
                    shown()[0].contains(QStringLiteral(QUILLET_CONTACT_EMAIL)));
        QVERIFY(host->programs.isEmpty());
        about->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(contactColour(openAbout()), unvisited);
    }

    void help_data() {
        // Where ReadMe.txt is (relative to a directory holding "bin dir", the program's),
        // the viewer on the PATH, its start error, the file it opens, part of the message,
        // the launcher's failure after it started, and a directory made beforehand.
        QTest::addColumn<QStringList>("c");
        const QString here = QStringLiteral("bin dir/ReadMe.txt");
        const QString shared = QStringLiteral("share/quillet/ReadMe.txt");
        const QString xdg = QStringLiteral("xdg-open");
        const QString denied = QStringLiteral("execve: Permission denied");
        QTest::newRow("next to the program") << QStringList{here, xdg, "", here, ""};
        QTest::newRow("installed data") << QStringList{shared, xdg, "", shared, ""};
        // A directory of that name next to the program is no help file.
        QTest::newRow("directory in the way")
            << QStringList{shared, xdg, "", shared, "", "", "bin dir/ReadMe.txt"};
        QTest::newRow("through gio") << QStringList{here, "gio", "", here, ""};
        QTest::newRow("missing") << QStringList{"", xdg, "", "", "ReadMe.txt"};
        QTest::newRow("no viewer") << QStringList{here, "", "", "", xdg};
        QTest::newRow("viewer fails") << QStringList{here, xdg, denied, here, denied};
        // The launcher starts, then finds nothing to show the file with (its reason last).
        QTest::newRow("launcher fails later")
            << QStringList{here, xdg, "", here, "无法打开帮助文件:no viewer", "no viewer"};
    }
    void help() {
        QFETCH(QStringList, c);
        const QString &placed = c[0], &viewer = c[1], &opened = c[3], &message = c[4];
        QTemporaryDir root;
        QVERIFY(root.isValid());
        host->directory = root.filePath(QStringLiteral("bin dir"));
        QDir().mkpath(host->directory);
        if (!placed.isEmpty()) {
            QDir().mkpath(QFileInfo(root.filePath(placed)).absolutePath());
            writeBytes(root.filePath(placed), "Quillet\n");
        }
        if (!c.value(6).isEmpty())
            QVERIFY(QDir().mkpath(root.filePath(c[6])));
        if (!viewer.isEmpty())
            host->programsOnPath << viewer;
        host->startError = c[2];
        host->launcherFailure = c.value(5);
        form->MuHelpT->trigger();
        QCOMPARE(host->programs.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty()) {
            QCOMPARE(host->programs[0].program, QStringLiteral("/usr/bin/") + viewer);
            QCOMPARE(host->programs[0].arguments.last(), root.filePath(opened));
            QCOMPARE(host->programs[0].arguments.size(), viewer == "gio" ? 2 : 1);
        }
        QCOMPARE(shown().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(shown()[0].startsWith(QStringLiteral("16 Quillet: ")) &&
                         shown()[0].contains(message),
                     qPrintable(shown()[0]));
        QVERIFY(form->isEnabled());
    }

    void calculator_data() {
        // The programs on the PATH, the start error, the program started, the message.
        QTest::addColumn<QStringList>("c");
        QTest::newRow("first one found")
            << QStringList{"xcalc kcalc galculator", "", "/usr/bin/kcalc", ""};
        QTest::newRow("the last resort") << QStringList{"xcalc", "", "/usr/bin/xcalc", ""};
        QTest::newRow("none") << QStringList{"", "", "", "16 Quillet: 找不到计算器程序"};
        QTest::newRow("start fails") << QStringList{
            "mate-calc", "Resource error", "/usr/bin/mate-calc", "16 Quillet: Resource error"};
    }
    void calculator() {
        QFETCH(QStringList, c);
        host->programsOnPath = c[0].split(u' ', Qt::SkipEmptyParts);
        host->startError = c[1];
        form->Command7->click();
        QStringList started;
        for (const auto& p : host->programs)
            started << (QStringList{p.program} + p.arguments).join(u' '); // no arguments
        QCOMPARE(started.join(u'|'), c[2]);
        QCOMPARE(shown().join(u'|'), c[3]);
    }
};

QTEST_MAIN(TestAboutHelp)
#include "tst_about_help.moc"
