#include "host/file_dialog.h"

#include <QDir>
#include <QFileDialog>
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

QString runFileDialog(const FileDialogRequest& request, QWidget* parent) {
    QFileDialog dialog(parent, request.dialogTitle);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
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
    }
    dialog.setDirectory(request.initialDir.isEmpty() ? QDir::currentPath() : request.initialDir);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return noFileChosen();
    const QString path = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());

    if (request.openMode && (request.dialogFlags & ofn::CreatePrompt) && !QFileInfo::exists(path)) {
        QMessageBox ask(QMessageBox::Question, dialog.windowTitle(),
                        QStringLiteral("%1\r\n该文件不存在。\r\n要创建该文件吗?").arg(path),
                        QMessageBox::NoButton, parent);
        QPushButton* yes = ask.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QPushButton* no = ask.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        ask.setDefaultButton(yes);
        ask.setEscapeButton(no);
        ask.exec();
        if (ask.clickedButton() != yes)
            return noFileChosen();
    }
    return path;
}
