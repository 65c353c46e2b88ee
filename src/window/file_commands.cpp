// The File menu of the main window: open, save and save as of either box, New,
// Exit and closing, with the unsaved-change prompt.
#include "host/file_dialog.h"
#include "host/file_io.h"
#include "host/text_box.h"
#include "host/text_codec.h"
#include "window/document_title.h"
#include "window/form1.h"
#include "window/placeholders.h"
#include "window/text_file.h"

namespace {

const QString kOpenFilter = QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|");
const QString kSaveFilter = QStringLiteral("Text File(*.txt)|*.txt|All Files(*.*)|*.*|");
constexpr int kOpenFlags = 8204; // create prompt, no directory change, hide read-only
constexpr int kSaveFlags = 8202; // create prompt, no directory change, overwrite prompt

bool isChosen(const QString& path) {
    return path.contains(u'.');
}

QString withoutChangeMark(QString caption) {
    return caption.remove(u'*');
}

// A box showing its italic placeholder holds no document text.
QString documentText(const TextBox* box, const QString& placeholder) {
    if (box->fontItalic() && (box->text().isEmpty() || box->text() == placeholder))
        return QString();
    return box->text();
}

} // namespace

QString Form1::ShowFileDialog(bool openMode, const QString& dialogTitle, const QString& filterText,
                              int filterIndex, int dialogFlags, const QString& initialDir,
                              const QString& fileName) {
    FileDialogRequest request;
    request.openMode = openMode;
    request.dialogTitle = dialogTitle;
    request.filterText = filterText;
    request.filterIndex = filterIndex;
    request.dialogFlags = dialogFlags;
    request.initialDir = initialDir;
    request.fileName = fileName;
    return m_host.showFileDialog(request);
}

QString Form1::askSavePath() {
    return ShowFileDialog(false, QString(), kSaveFilter, 1, kSaveFlags, QString(), InputFileName);
}

int Form1::askToSaveChanges() {
    const QString name = InputFileName.isEmpty() ? document_title::kUntitled : InputFileName;
    return m_host.msgBox(QStringLiteral("文件 ") + name + QStringLiteral(" 的文字已经改变") +
                             QStringLiteral("\r\n") + QStringLiteral("想保存文件吗?"),
                         msgbox::YesNoCancel + msgbox::Exclamation, kProgramName);
}

void Form1::reportFileError(int number, const QString& description) {
    m_host.msgBox(QStringLiteral("错误:") + QString::number(number) + QStringLiteral("\r\n") +
                      description,
                  msgbox::Critical, kProgramName);
}

bool Form1::writeBox(const QString& path, const QString& text) {
    text_codec::Encoding encoding = text_codec::Encoding::Gbk;
    if (m_keepUtf8)
        encoding = m_utf8Bom ? text_codec::Encoding::Utf8Bom : text_codec::Encoding::Utf8;
    const QByteArray bytes = text_codec::encode(text_file::fileFromText(text), encoding);
    if (const auto error = file_io::writeAtomically(path, bytes)) {
        reportFileError(error->number, error->description);
        return false;
    }
    return true;
}

bool Form1::mayDiscardInput() {
    if (!InputChanged)
        return true;
    const int answer = askToSaveChanges();
    if (answer == msgbox::Yes)
        MuSave_Click(); // and the command ends: the user chooses it again
    return answer == msgbox::No;
}

void Form1::MuOpen_Click() {
    if (!mayDiscardInput())
        return;
    const QString path =
        ShowFileDialog(true, QString(), kOpenFilter, 1, kOpenFlags, QString(), InputFileName);
    if (!isChosen(path))
        return;
    openInputFile(path);
}

bool Form1::openInputFile(const QString& path) {
    QByteArray bytes;
    if (const auto error = file_io::readAll(path, bytes)) {
        reportFileError(error->number, error->description);
        return false;
    }
    const text_codec::Decoded decoded = text_codec::decode(bytes);
    bytes.clear();

    InputFileName = path;
    Text1->setText(text_file::textFromFile(decoded.text));
    InputChanged = false;
    setWindowTitle(withoutChangeMark(document_title::caption(InputFileName)));
    Text1->setFontItalic(false);
    m_keepUtf8 = decoded.encoding != text_codec::Encoding::Gbk;
    m_utf8Bom = decoded.encoding == text_codec::Encoding::Utf8Bom;

    if (decoded.invalidBytes)
        m_host.msgBox(QStringLiteral("文件 ") + path +
                          QStringLiteral(" 中有无法识别的字节,已显示为 \uFFFD。") +
                          QStringLiteral("\r\n") +
                          QStringLiteral("如果保存这个文件,这些字节将无法保留。"),
                      msgbox::Exclamation, kProgramName);
    return true;
}

void Form1::MuSave_Click() {
    if (InputFileName.isEmpty()) {
        MuSaveAs_Click();
        return;
    }
    if (!isChosen(InputFileName))
        return;
    if (!writeBox(InputFileName, documentText(Text1, placeholders::kInput)))
        return;
    InputChanged = false;
    setWindowTitle(withoutChangeMark(windowTitle()));
}

void Form1::MuSave2_Click() {
    if (OutputFileName.isEmpty()) {
        MuSaveAs2_Click();
        return;
    }
    if (!isChosen(OutputFileName))
        return;
    writeBox(OutputFileName, documentText(Text2, placeholders::kOutput));
}

void Form1::MuSaveAs_Click() {
    const QString path = askSavePath();
    if (!isChosen(path))
        return;
    if (!writeBox(path, documentText(Text1, placeholders::kInput)))
        return;
    InputFileName = path;
    setWindowTitle(document_title::caption(InputFileName));
    InputChanged = false;
}

void Form1::MuSaveAs2_Click() {
    const QString path = askSavePath();
    if (!isChosen(path))
        return;
    if (!writeBox(path, documentText(Text2, placeholders::kOutput)))
        return;
    OutputFileName = path;
}

void Form1::MuNew_Click() {
    if (!mayDiscardInput())
        return;
    setWindowTitle(document_title::caption(QString()));
    Text1->setText(QString());
    InputChanged = false;
    InputFileName.clear();
    m_keepUtf8 = false;
    m_utf8Bom = false;
}

void Form1::MuExit_Click() {
    close();
}

void Form1::Form_Unload(bool& cancel) {
    if (!InputChanged)
        return;
    switch (askToSaveChanges()) {
    case msgbox::Yes:
        MuSave_Click();
        // Closing after a cancelled or failed save would throw the text away.
        cancel = InputChanged;
        break;
    case msgbox::No:
        break;
    default:
        cancel = true;
        break;
    }
}
