#include "host/file_dialog.h"

#include "host/file_io.h"
#include "host/qt_host.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

QStringList fileDialogFilters(const QString& filterText) {
    const QStringList parts = filterText.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        if (description.isEmpty() && pattern.isEmpty())
            continue;
        if (description.endsWith(u')') && description.contains(u'('))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, pattern);
    }
    return filters;
}

QString defaultSuffixFor(const QString& pattern) {
    if (!pattern.startsWith(QLatin1String("*.")))
        return QString();
    const QString suffix = pattern.mid(2);
    for (const QChar c : suffix)
        if (c == u'*' || c == u'?' || c == u';' || c == u' ' || c == u'.')
            return QString();
    return suffix;
}

namespace {

class ChineseFileTypes : public QFileIconProvider {
  public:
    QString type(const QFileInfo& info) const override { return fileTypeName(info); }
};

} // namespace

QString fileTypeName(const QFileInfo& info) {
    if (info.isDir())
        return info.isRoot() ? QStringLiteral("驱动器") : QStringLiteral("文件夹");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("文件") : suffix + QStringLiteral(" 文件");
}

QString createPrompt(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral(
                   "%1\r\n该文件是一个符号链接,它指向的文件不存在:\r\n%2\r\n要创建它指向的文件吗?")
            .arg(path, info.symLinkTarget());
    return QStringLiteral("%1\r\n该文件不存在。\r\n要创建该文件吗?").arg(path);
}

QString runFileDialog(const FileDialogRequest& request, QWidget* parent) {
    ChineseFileTypes types; // outlives the dialog that uses it
    QFileDialog dialog(parent, request.dialogTitle);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&types);
    dialog.setAcceptMode(request.openMode ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Missing files are accepted here and offered for creation below.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     !(request.dialogFlags & ofn::OverwritePrompt));
    const QStringList filters = fileDialogFilters(request.filterText);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.filterIndex, 1, int(filters.size())) - 1;
        dialog.selectNameFilter(filters[index]);
        if (!request.openMode) {
            // A name typed without a suffix gets the chosen filter's, if it has one.
            const QStringList parts = request.filterText.split(u'|');
            auto suffixOf = [&](const QString& filter) {
                const qsizetype at = filters.indexOf(filter);
                return at >= 0 && 2 * at + 1 < parts.size() ? defaultSuffixFor(parts[2 * at + 1])
                                                            : QString();
            };
            dialog.setDefaultSuffix(suffixOf(filters[index]));
            QObject::connect(
                &dialog, &QFileDialog::filterSelected, &dialog,
                [&](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
        }
    }
    dialog.setDirectory(request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return noFileChosen();
    const QString path = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());

    if (request.openMode && (request.dialogFlags & ofn::CreatePrompt) && !QFileInfo::exists(path)) {
        QMessageBox ask(parent);
        const auto answers = setUpMessageBox(
            ask, createPrompt(path), msgbox::YesNo + msgbox::Question, dialog.windowTitle());
        ask.exec();
        if (answers.value(ask.clickedButton()) != msgbox::Yes)
            return noFileChosen();
        if (const auto error = file_io::createEmpty(path)) {
            QMessageBox failed(parent);
            setUpMessageBox(failed,
                            QStringLiteral("错误:") + QString::number(error->number) +
                                QStringLiteral("\r\n") + error->description,
                            msgbox::Critical, kProgramName);
            failed.exec();
            return noFileChosen();
        }
    }
    return path;
}
