#pragma once

#include <QDialog>

class TextBox;

// A dialog window built from its design: fixed client area and control places in
// twips, no default or cancel button (Enter and Esc mean nothing to it), and
// closed only by unloading — its button or its close box discards it, so the
// next opening starts from the design values.
class DesignDialog : public QDialog {
    Q_OBJECT
  public:
    DesignDialog(QWidget* parent, const char* name, const QString& caption, float clientWidth,
                 float clientHeight);

    // The design place of `control` in twips (relative to its parent widget).
    void place(QWidget* control, float left, float top, float width, float height) const;
    int toPixels(float twipValue) const;

    // `widget` with its design name as objectName.
    template <typename T> static T* named(T* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    }

    // `widget` named and put in its design place.
    template <typename T>
    T* add(T* widget, const char* name, float left, float top, float width, float height) const {
        place(named(widget, name), left, top, width, height);
        return widget;
    }

  signals:
    void unloaded();

  protected:
    // Runs once when the dialog is unloaded, before it is discarded.
    virtual void Form_Unload() {}
    // Called at the end of a derived constructor: no button is a default button.
    void noDefaultButtons();

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool m_unloaded = false;
};

// The main window's input box gets the focus, unless the main window is disabled.
void focusInputBox(TextBox* inputBox);
