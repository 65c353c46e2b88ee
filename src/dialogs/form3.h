#pragma once

#include "dialogs/design_dialog.h"

class Host;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TextBox;

// The find/replace dialog. It searches the snapshot of the search state, never the
// live input box, and applies what it finds to the live box.
class Form3 : public DesignDialog {
    Q_OBJECT
  public:
    Form3(QWidget* owner, TextBox* inputBox, Host& host);

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr; // the find box
    QLabel* Label2 = nullptr;
    QLineEdit* Text2 = nullptr; // the replace box
    QCheckBox* Check1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr; // up
    QRadioButton* Option2 = nullptr; // down
    QPushButton* Command1 = nullptr; // Find Next
    QPushButton* Command2 = nullptr; // Cancel
    QPushButton* Command3 = nullptr; // Replace
    QPushButton* Command4 = nullptr; // Replace All

    void FindNextMatch();

  public slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Text1_Change();

  protected:
    void Form_Unload() override;

  private:
    Qt::CaseSensitivity caseMode() const;

    TextBox* m_inputBox;
    Host& m_host;
};
