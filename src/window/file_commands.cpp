// The File menu of the main window: open, save and save as of either box, New,
// Exit and closing, with the unsaved-change prompt.
#include "host/encoding_detection.h"
#include "host/file_dialog.h"
#include "host/file_io.h"
#include "host/file_name.h"
#include "host/placeholders.h"
#include "host/text_box.h"
#include "host/text_codec.h"
#include "window/document_title.h"
#include "window/form1.h"
#include "window/text_file.h"

#include <algorithm>
#include <cerrno>
#include <new>

namespace {

const QString kOpenFilter = QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|");
const QString kSaveFilter = QStringLiteral("Text File(*.txt)|*.txt|All Files(*.*)|*.*|");
constexpr int kOpenFlags = ofn::CreatePrompt | ofn::NoChangeDir | ofn::HideReadOnly;
constexpr int kSaveFlags = ofn::CreatePrompt | ofn::NoChangeDir | ofn::OverwritePrompt;

// Only a cancelled or failed dialog means no file: its result is one NUL or
// empty. A name without "." (notes, README) is a file like any other.
bool isChosen(const QString& path) {
    return !path.isEmpty() && !path.contains(QChar(u'\0'));
}

// A box showing its italic placeholder holds no document text.
QString documentText(const TextBox* box, const QString& placeholder) {
    if (box->fontItalic() && (box->textSize() == 0 || box->textIs(placeholder)))
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
    // Qt's dialog cannot hold a name that is not UTF-8: it shows it as GBK.
    return ShowFileDialog(false, QString(), kSaveFilter, 1, kSaveFlags, QString(),
                          file_name::display(InputFileName));
}

int Form1::askToSaveChanges() {
    const QString name =
        InputFileName.isEmpty() ? document_title::kUntitled : file_name::display(InputFileName);
    return m_host.msgBox(QStringLiteral("文件 ") + name + QStringLiteral(" 的文字已经改变") +
                             QStringLiteral("\r\n") + QStringLiteral("想保存文件吗?"),
                         msgbox::YesNoCancel + msgbox::Exclamation, kProgramName);
}

void Form1::reportFileError(int number, const QString& description) {
    m_host.msgBox(QStringLiteral("错误:") + QString::number(number) + QStringLiteral("\r\n") +
                      description,
                  msgbox::Critical, kProgramName);
}

void Form1::setInputChanged(bool changed) {
    InputChanged = changed;
    setWindowTitle(document_title::caption(file_name::display(InputFileName), changed));
}

bool Form1::writeBox(const QString& path, const TextBox* box, bool inputDocument) {
    QByteArray bytes;
    try {
        // The whole content is encoded before the file is touched; its copies
        // (the box's text as one string among them) may find no memory, which
        // must not end the program with the text unsaved.
        const QString fileText = text_file::fileFromText(
            documentText(box, inputDocument ? placeholders::kInput : placeholders::kOutput));
        if (inputDocument && m_documentBothForms &&
            std::any_of(fileText.begin(), fileText.end(), text_codec::hasTwoForms))
            m_host.msgBox(
                QStringLiteral("文件 ") + file_name::display(path) +
                    QStringLiteral(" 同时用了单字节形式(80、FF)和多字节形式(如 A2 E3),") +
                    QStringLiteral("\r\n") +
                    QStringLiteral("保存后欧元符号 € 等字符都将写成单字节形式,这些字节会改变。"),
                msgbox::Exclamation, kProgramName);
        if (const qsizetype lost = text_codec::countUnencodable(fileText))
            m_host.msgBox(QStringLiteral("文件 ") + file_name::display(path) +
                              QStringLiteral(" 的编码无法保存其中 ") + QString::number(lost) +
                              QStringLiteral(" 个字符(不成对的代理项),") + QStringLiteral("\r\n") +
                              QStringLiteral("这些字符将写为 \"?\"。"),
                          msgbox::Exclamation, kProgramName);
        bytes = text_codec::encode(fileText, m_documentEncoding);
    } catch (const std::bad_alloc&) {
        reportFileError(ENOMEM, file_io::describeError(ENOMEM));
        return false;
    }
    if (const auto error = file_io::save(path, bytes)) {
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
    const QString path = ShowFileDialog(true, QString(), kOpenFilter, 1, kOpenFlags, QString(),
                                        file_name::display(InputFileName));
    if (!isChosen(path))
        return;
    openInputFile(path);
}

bool Form1::openInputFile(const QString& path) {
    text_codec::Decoded decoded;
    QString text;
    try {
        QByteArray bytes;
        if (const auto error = file_io::readAll(path, bytes)) {
            reportFileError(error->number, error->description);
            return false;
        }
        decoded = encoding_detection::decode(bytes);
        bytes = QByteArray();
        text = text_file::textFromFile(decoded.text);
        decoded.text = QString();
    } catch (const std::bad_alloc&) {
        reportFileError(ENOMEM, file_io::describeError(ENOMEM));
        return false;
    }

    const QString before = Text1->text(); // shared, not copied
    const bool wasChanged = InputChanged;
    try {
        Text1->setText(text);
    } catch (const std::bad_alloc&) {
        text = QString();
        Text1->setText(before);
        setInputChanged(wasChanged);
        reportFileError(ENOMEM, file_io::describeError(ENOMEM));
        return false;
    }
    InputFileName = path;
    setInputChanged(false);
    Text1->setFontItalic(false);
    m_documentEncoding = decoded.encoding;
    m_documentBothForms = decoded.bothForms;

    if (decoded.invalidBytes)
        m_host.msgBox(QStringLiteral("文件 ") + file_name::display(path) +
                          QStringLiteral(" 中有无法识别的字节,已显示为 \uFFFD。") +
                          QStringLiteral("\r\n") +
                          QStringLiteral("如果保存这个文件,这些字节将无法保留。"),
                      msgbox::Exclamation, kProgramName);
    if (decoded.nulBytes)
        m_host.msgBox(QStringLiteral("文件 ") + file_name::display(path) +
                          QStringLiteral(" 含有空字节(NUL),不是可以识别的文本编码。") +
                          QStringLiteral("\r\n") +
                          QStringLiteral("如果保存这个文件,它的内容可能改变。"),
                      msgbox::Exclamation, kProgramName);
    return true;
}

void Form1::MuSave_Click() {
    if (InputFileName.isEmpty()) {
        MuSaveAs_Click();
        return;
    }
    if (!writeBox(InputFileName, Text1, true))
        return;
    setInputChanged(false);
}

void Form1::MuSave2_Click() {
    if (OutputFileName.isEmpty()) {
        MuSaveAs2_Click();
        return;
    }
    writeBox(OutputFileName, Text2);
}

void Form1::MuSaveAs_Click() {
    const QString path = askSavePath();
    if (!isChosen(path))
        return;
    if (!writeBox(path, Text1, true))
        return;
    InputFileName = path;
    setInputChanged(false);
}

void Form1::MuSaveAs2_Click() {
    const QString path = askSavePath();
    if (!isChosen(path))
        return;
    if (!writeBox(path, Text2))
        return;
    OutputFileName = path;
}

void Form1::MuNew_Click() {
    if (!mayDiscardInput())
        return;
    setWindowTitle(document_title::caption(QString()));
    Text1->setText(QString());
    InputFileName.clear();
    setInputChanged(false);
    m_documentEncoding = text_codec::Encoding::Gbk;
    m_documentBothForms = false;
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
