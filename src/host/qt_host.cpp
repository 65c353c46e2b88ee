#include "host/qt_host.h"

#include "host/box_clipboard.h"
#include "host/file_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpacerItem>
#include <QStandardPaths>
#include <algorithm>

namespace {

// The window manager's share of a title bar: the window's icon and its
// minimise, maximise and close buttons, with margins (Qt allows only 50 pixels,
// and short messages showed "Q...t").
constexpr int kTitleBarControls = 160;

// Keeps the box at least this wide: QMessageBox sizes itself from its layout.
void keepWidth(QMessageBox& box, int width) {
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
}

} // namespace

int titleBarWidth(const QString& title) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true); // most window managers draw titles bold
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarControls;
}

QHash<const QAbstractButton*, int> setUpMessageBox(QMessageBox& box, const QString& prompt,
                                                   int style, const QString& title) {
    box.setWindowTitle(title.isEmpty() ? kProgramName : title);
    box.setText(prompt);
    switch (style & 0xF0) {
    case msgbox::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case msgbox::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case msgbox::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case msgbox::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    QHash<const QAbstractButton*, int> results;
    const int buttons = style & 0x0F;
    if (buttons == msgbox::YesNoCancel || buttons == msgbox::YesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        results.insert(yes, msgbox::Yes);
        results.insert(no, msgbox::No);
        box.setDefaultButton(yes);
        // Without a Cancel button, Esc and the close box answer No.
        box.setEscapeButton(no);
        if (buttons == msgbox::YesNoCancel) {
            QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
            results.insert(cancel, msgbox::Cancel);
            box.setEscapeButton(cancel);
        }
        keepWidth(box, titleBarWidth(box.windowTitle()));
        return results;
    }
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    results.insert(ok, msgbox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    keepWidth(box, titleBarWidth(box.windowTitle()));
    return results;
}

int QtHost::msgBox(const QString& prompt, int style, const QString& title) {
    QMessageBox box(QApplication::activeWindow());
    const auto results = setUpMessageBox(box, prompt, style, title);
    box.exec();
    return results.value(box.clickedButton(), msgbox::Cancel);
}

QString QtHost::showFileDialog(const FileDialogRequest& request) {
    return runFileDialog(request, QApplication::activeWindow());
}

QString QtHost::clipboardText() {
    return box_clipboard::text(QApplication::clipboard()->mimeData());
}

void QtHost::setClipboardText(const QString& text) {
    QApplication::clipboard()->setMimeData(box_clipboard::mimeData(text));
}

void QtHost::clearClipboard() {
    QApplication::clipboard()->clear();
}

QString QtHost::programDirectory() {
    return QApplication::applicationDirPath();
}

bool QtHost::startProgram(const QString& program, const QStringList& arguments, QString* error) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (process.startDetached())
        return true;
    if (error)
        *error = process.errorString();
    return false;
}

bool QtHost::startLauncher(const QString& program, const QStringList& arguments, QString* error,
                           std::function<void(const QString&)> whenFailed) {
    // Without a parent: a launcher that waits for its viewer must not be
    // killed with this program when it closes first.
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(
        process, &QProcess::finished, process,
        [process, whenFailed = std::move(whenFailed)](int code, QProcess::ExitStatus status) {
            if ((status != QProcess::NormalExit || code != 0) && whenFailed) {
                QString reason = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
                if (reason.isEmpty())
                    reason = QStringLiteral("%1 失败,退出码 %2").arg(process->program()).arg(code);
                whenFailed(reason);
            }
            process->deleteLater();
        });
    process->start();
    if (process->waitForStarted())
        return true;
    if (error)
        *error = process->errorString();
    delete process;
    return false;
}

QString QtHost::findProgram(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

bool QtHost::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}
