#pragma once

#include "dialogs/design_dialog.h"

class Host;
class QFrame;
class QLabel;
class QPushButton;
class TextBox;

// The about box. The main window is disabled while it is open, so it is not a
// child of the main window (a disabled widget disables its child windows): it
// stays above it as a transient window of its own.
class FrmAbout : public DesignDialog {
    Q_OBJECT
  public:
    FrmAbout(QWidget* owner, TextBox* inputBox, Host& host, const QString& address);

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr; // the contact line, clickable
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QPushButton* Command1 = nullptr;

    // The address the contact line shows and mails to.
    static QString contactAddress();

  public slots:
    void Form_Load();
    void Command1_Click();
    void Label4_Click();

  protected:
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setLinkColour(const QColor& colour);

    QWidget* m_owner;
    TextBox* m_inputBox;
    Host& m_host;
    QString m_address;
};
