#pragma once

#include <QValidator>
#include <functional>

class QLineEdit;

// Holds a single-line box to what its KeyPress handler lets through. Every
// change, whether typed, pasted, dropped or committed by an input method, is
// offered to the handler one character code at a time; a change in which the
// handler drops a character (sets its code to 0) is refused whole. Backspace
// and deleting only shorten the text and always pass.
class KeyPressValidator : public QValidator {
    Q_OBJECT
  public:
    KeyPressValidator(QLineEdit* box, std::function<void(int& keyAscii)> filter);

    State validate(QString& input, int& pos) const override;

  private:
    std::function<void(int&)> m_filter;
};
