#pragma once

#include "dialogs/design_dialog.h"

class Host;
class QLabel;
class QLineEdit;
class QPushButton;
class TextBox;

// The go-to-line dialog: moves the input box's caret to the start of a line.
class Form2 : public DesignDialog {
    Q_OBJECT
  public:
    Form2(QWidget* owner, TextBox* inputBox, Host& host);

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr; // the line box
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

    // True exactly for the digits 0 to 9; the box is not consulted.
    bool NumberTrue2(int keyNumber, const QLineEdit* NumberStr) const;

  public slots:
    void Form_Load();
    void Text1_KeyPress(int& keyAscii);
    void Command1_Click();
    void Command2_Click();

  protected:
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TextBox* m_inputBox;
    Host& m_host;
};
