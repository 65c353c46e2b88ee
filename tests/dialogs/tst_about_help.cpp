#include "dialogs/frm_about.h"
#include "host/text_box.h"
#include "scripted_host.h"
#include "window/form1.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

class TestAboutHelp : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedHost> host;
    std::unique_ptr<Form1> form;

    FrmAbout* openAbout() {
        form->MuAbout->trigger();
        FrmAbout* about = form->frmAbout();
        Q_ASSERT(about);
        return about;
    }
    static void writeFile(const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Quillet\n");
    }

  private slots:
    void init() {
        host = std::make_unique<ScriptedHost>();
        form = std::make_unique<Form1>(*host);
        form->show();
    }
    void cleanup() {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

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
        QVERIFY(!about->parent());
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

    void aboutBoxContent() {
        FrmAbout* about = openAbout();
        QCOMPARE(about->windowTitle(), QStringLiteral("关于 Quillet"));
        QCOMPARE(about->Label1->text(), QStringLiteral("Quillet"));
        QCOMPARE(about->Label2->text(), QStringLiteral("版本:1.01"));
        QVERIFY(!about->Label3->text().isEmpty());
        const QString address = QStringLiteral(QUILLET_CONTACT_EMAIL);
        QCOMPARE(about->Label4->text(),
                 QStringLiteral("请联系 ") + address + QStringLiteral(" 获取程序相关信息"));
        QCOMPARE(about->Command1->text(), QStringLiteral("确定(&O)"));
        QVERIFY(!about->Command1->autoDefault());
        QVERIFY(!about->Image1->pixmap().isNull());
        QVERIFY(about->Image1->geometry().right() < about->Label1->geometry().left());
        const QFont font = about->Label4->font();
        QVERIFY(font.underline());
        QCOMPARE(font.pointSize(), 9);
        QCOMPARE(font.families().value(0), QStringLiteral("SimSun"));
        QVERIFY(font.families().size() > 1); // a Chinese face where SimSun is absent
        QCOMPARE(about->Label4->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(about->Label4->palette().color(QPalette::WindowText), QColor(0, 0, 192));
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
        QTest::mouseClick(about->Label4, Qt::LeftButton);
        QTest::mouseClick(about->Label4, Qt::LeftButton);
        QCOMPARE(about->Label4->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        QCOMPARE(host->urls.size(), 2);
        QCOMPARE(host->urls[0], QUrl(QStringLiteral("mailto:" QUILLET_CONTACT_EMAIL)));
        QCOMPARE(host->messages.size(), handler ? 0 : 2);
        if (!handler) {
            QCOMPARE(host->messages[0].style, 16);
            QCOMPARE(host->messages[0].title, QStringLiteral("Quillet"));
            QVERIFY(host->messages[0].prompt.contains(QStringLiteral(QUILLET_CONTACT_EMAIL)));
        }
        QVERIFY(host->programs.isEmpty());
        about->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        about = openAbout();
        QCOMPARE(about->Label4->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    }

    void help_data() {
        QTest::addColumn<QString>("placed"); // where ReadMe.txt is, relative to the dir
        QTest::addColumn<QString>("viewer"); // on the PATH
        QTest::addColumn<QString>("startError");
        QTest::addColumn<QString>("opened");  // relative path opened, empty: none
        QTest::addColumn<QString>("message"); // part of the message, empty: none
        const QString here = QStringLiteral("bin dir/ReadMe.txt");
        const QString xdg = QStringLiteral("xdg-open");
        QTest::newRow("next to the program") << here << xdg << "" << here << "";
        QTest::newRow("installed data") << "share/quillet/ReadMe.txt" << xdg << ""
                                        << "share/quillet/ReadMe.txt"
                                        << "";
        QTest::newRow("through gio") << here << "gio"
                                     << "" << here << "";
        QTest::newRow("missing") << "" << xdg << ""
                                 << ""
                                 << "ReadMe.txt";
        QTest::newRow("no viewer") << here << ""
                                   << ""
                                   << "" << xdg;
        QTest::newRow("viewer fails")
            << here << xdg << "execve: Permission denied" << here << "execve: Permission denied";
    }
    void help() {
        QFETCH(QString, placed);
        QFETCH(QString, viewer);
        QFETCH(QString, startError);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        host->directory = root.filePath(QStringLiteral("bin dir"));
        QDir().mkpath(host->directory);
        if (!placed.isEmpty())
            writeFile(root.filePath(placed));
        if (!viewer.isEmpty())
            host->programsOnPath << viewer;
        host->startError = startError;
        form->MuHelpT->trigger();
        if (opened.isEmpty()) {
            QVERIFY(host->programs.isEmpty());
        } else {
            QCOMPARE(host->programs.size(), 1);
            QCOMPARE(host->programs[0].program, QStringLiteral("/usr/bin/") + viewer);
            QCOMPARE(host->programs[0].arguments.last(), root.filePath(opened));
            QCOMPARE(host->programs[0].arguments.size(), viewer == "gio" ? 2 : 1);
        }
        if (message.isEmpty()) {
            QVERIFY(host->messages.isEmpty());
        } else {
            QCOMPARE(host->messages.size(), 1);
            QVERIFY2(host->messages[0].prompt.contains(message),
                     qPrintable(host->messages[0].prompt));
            QCOMPARE(host->messages[0].style, 16);
            QCOMPARE(host->messages[0].title, QStringLiteral("Quillet"));
        }
        QVERIFY(form->isEnabled());
    }

    void calculator_data() {
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("startError");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QString>("message");
        QTest::newRow("first one found") << QStringList{"xcalc", "kcalc", "galculator"} << ""
                                         << "/usr/bin/kcalc"
                                         << "";
        QTest::newRow("the last resort") << QStringList{"xcalc"} << ""
                                         << "/usr/bin/xcalc"
                                         << "";
        QTest::newRow("none") << QStringList{} << ""
                              << ""
                              << "找不到计算器程序";
        QTest::newRow("start fails") << QStringList{"mate-calc"} << "Resource error"
                                     << "/usr/bin/mate-calc"
                                     << "Resource error";
    }
    void calculator() {
        QFETCH(QStringList, onPath);
        QFETCH(QString, startError);
        QFETCH(QString, started);
        QFETCH(QString, message);
        host->programsOnPath = onPath;
        host->startError = startError;
        form->Command7->click();
        QCOMPARE(host->programs.size(), started.isEmpty() ? 0 : 1);
        if (!started.isEmpty()) {
            QCOMPARE(host->programs[0].program, started);
            QVERIFY(host->programs[0].arguments.isEmpty());
        }
        QCOMPARE(host->messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(host->messages[0].prompt, message);
            QCOMPARE(host->messages[0].style, 16);
            QCOMPARE(host->messages[0].title, QStringLiteral("Quillet"));
        }
    }

    void userGuideCoversEveryCommand() {
        QFile guide(QFINDTESTDATA("../../data/ReadMe.txt"));
        QVERIFY(guide.open(QIODevice::ReadOnly));
        const QByteArray bytes = guide.readAll();
        const QString text = QString::fromUtf8(bytes);
        QCOMPARE(text.toUtf8(), bytes); // valid UTF-8
        // Every menu item and button, by its caption without the access key.
        QStringList missing;
        QList<QAction*> actions = form->findChildren<QAction*>();
        for (const QAction* a : actions) {
            QString caption = a->text();
            caption.remove(QRegularExpression(QStringLiteral("\\((&.|J)\\)|\\.\\.\\.|&")));
            if (!caption.isEmpty() && !text.contains(caption))
                missing << caption;
        }
        for (const QPushButton* b : form->findChildren<QPushButton*>())
            if (!text.contains(b->text()))
                missing << b->text();
        for (const char* topic : {"GBK", "UTF-8", "Ctrl+F", "F1", "行数超过范围"})
            if (!text.contains(QString::fromUtf8(topic)))
                missing << QString::fromUtf8(topic);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    }
};

QTEST_MAIN(TestAboutHelp)
#include "tst_about_help.moc"
