#pragma once

#include "host/host.h"
#include "host/text_codec.h"
#include "host/twips.h"
#include "window/toolbox.h"

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>

class Form2;
class Form3;
class FrmAbout;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class TextBox;

// The main window: menus, the input and output boxes, the toolbox and the
// document state. Handlers keep the names of the control events they serve and
// live in window/ beside it (count_handlers.cpp, dialog_handlers.cpp,
// edit_handlers.cpp, file_commands.cpp, transform_handlers.cpp); the work is
// done by plain functions in analysis/, transforms/ and host/.
class Form1 : public QMainWindow {
    Q_OBJECT
  public:
    Form1();                    // with the real host
    explicit Form1(Host& host); // with a host of the caller's (tests)
    ~Form1() override;

    // Document state.
    QString InputFileName;
    bool InputChanged = false;
    QString OutputFileName;

    // Controls, named as in the window design (also their objectName); those
    // from Check1 on belong to the toolbox Frame1.
    TextBox* Text1 = nullptr;
    TextBox* Text2 = nullptr;
    Toolbox* Frame1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QCheckBox* Check5 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;

    // Menus and their items.
    QMenu* MuFile = nullptr;
    QMenu* MuEdit = nullptr;
    QMenu* MuView = nullptr;
    QMenu* MuTool = nullptr;
    QMenu* MuHelp = nullptr;
    QAction* MuNew = nullptr;
    QAction* MuOpen = nullptr;
    QAction* MuSave = nullptr;
    QAction* MuSave2 = nullptr;
    QAction* MuSaveAs = nullptr;
    QAction* MuSaveAs2 = nullptr;
    QAction* MuInt3 = nullptr;
    QAction* MuExit = nullptr;
    QAction* MuUnDo = nullptr;
    QAction* MuInt1 = nullptr;
    QAction* MuCut = nullptr;
    QAction* MuCopy = nullptr;
    QAction* MuPaste = nullptr;
    QAction* MuDel = nullptr;
    QAction* MuInt2 = nullptr;
    QAction* MuSelectAll = nullptr;
    QAction* MuSelectAllB = nullptr;
    QAction* MuClear = nullptr;
    QAction* MuCalc = nullptr;
    QAction* MuToolBox = nullptr;
    QAction* MuFind = nullptr;
    QAction* MuGoTo = nullptr;
    QAction* MuHelpT = nullptr;
    QAction* MuInt4 = nullptr;
    QAction* MuAbout = nullptr;

    // Client area in twips.
    float ScaleWidth() const;
    float ScaleHeight() const;
    // Design geometry in twips, as last assigned (before rounding to pixels).
    using TwipRect = twips::Rect;
    TwipRect twipGeometry(const QWidget* control) const;

    Host& host() { return m_host; }

    // The dialogs while they are loaded; null otherwise.
    Form2* form2() const;
    Form3* form3() const;
    FrmAbout* frmAbout() const;

  public slots:
    // Start-up, layout, placeholders.
    void Form_Load();
    void Form_Resize();
    void MuToolBox_Click();
    void Text1_GotFocus();
    void Text1_LostFocus();
    void Text2_GotFocus();
    void Text2_LostFocus();
    void Text1_Change();

    // Analysis panel.
    void Command6_Click();
    void MuCalc_Click();
    void Check4_Click();
    void Text4_Change();
    void Text3_KeyPress(int& keyAscii);

    // Text files, New and closing.
    void MuOpen_Click();
    void MuSave_Click();
    void MuSave2_Click();
    void MuSaveAs_Click();
    void MuSaveAs2_Click();
    void MuNew_Click();
    void MuExit_Click();
    void Form_Unload(bool& cancel);

    // Dialogs, help and calculator.
    void MuFind_Click();
    void MuGoTo_Click();
    void MuAbout_Click();
    void MuHelpT_Click();
    void Command7_Click();

    // Edit menu; every command acts on its fixed box, wherever the focus is.
    void MuUnDo_Click();
    void MuCut_Click();
    void MuCopy_Click();
    void MuPaste_Click();
    void MuDel_Click();
    void MuSelectAll_Click();
    void MuSelectAllB_Click();
    void MuClear_Click();
    // Key and mouse release in the input box (arguments ignored): the selection
    // rule, then the search snapshot.
    void Text1_KeyUp(int keyCode, int shift);
    void Text1_MouseUp(int button, int shift, float x, float y);

    // Text transforms.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

  public:
    // Reads the file into the input box as Open does after its dialog (also for a
    // file named on the command line); false after an error message.
    bool openInputFile(const QString& path);
    // Enables the six controls that need selected input text exactly while
    // the input box has a non-empty selection.
    void SelectionRule();

    void ComputeFrequency(const QString& inpStr);
    bool NumberTrue2(int keyNumber, const QLineEdit* NumberStr) const;
    QString ShowFileDialog(bool openMode, const QString& dialogTitle, const QString& filterText,
                           int filterIndex, int dialogFlags, const QString& initialDir,
                           const QString& fileName);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void connectHandlers();
    void connectEditHandlers();
    // The placeholder is not document text: edits of the input box first take
    // it away and put it back if the box is left empty without the focus.
    bool leaveInputPlaceholder();
    void restoreInputPlaceholder();
    void transformSelection(QString (*transform)(QStringView));
    void countInput();
    void setTwipGeometry(QWidget* control, const TwipRect& rect);
    void setTwipWidth(QWidget* control, float width);
    void setTwipHeight(QWidget* control, float height);
    void setTwipLeft(QWidget* control, float left);
    void setTwipTop(QWidget* control, float top);
    double dpi() const;

    // File commands.
    // The input document warns first when its save writes one form for a
    // character the file held in both.
    bool writeBox(const QString& path, const TextBox* box, bool inputDocument = false);
    int askToSaveChanges();
    // The unsaved-change prompt before the input is discarded; true to go on.
    bool mayDiscardInput();
    QString askSavePath();
    void reportFileError(int number, const QString& description);
    // Sets InputChanged and the title that shows it.
    void setInputChanged(bool changed);

    std::unique_ptr<Host> m_ownedHost;
    Host& m_host;
    QWidget* m_client = nullptr;
    std::map<const QWidget*, TwipRect> m_twips;
    bool m_shownOnce = false;
    // Decided once when a file is opened; every save of either box uses it.
    text_codec::Encoding m_documentEncoding = text_codec::Encoding::Gbk;
    bool m_documentBothForms = false; // the file held a character in both GBK forms
    QPointer<Form2> m_form2;
    QPointer<Form3> m_form3;
    QPointer<FrmAbout> m_frmAbout;
};
