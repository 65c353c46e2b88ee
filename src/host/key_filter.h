#pragma once

#include <QObject>
#include <functional>

// KeyPress for a single-line box: gets the character code of each typed key
// (backspace is 8); setting it to 0 drops the key. Committed input-method text
// is filtered character by character.
class KeyPressFilter : public QObject {
    Q_OBJECT
  public:
    KeyPressFilter(QObject* target, std::function<void(int& keyAscii)> filter);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void(int&)> m_filter;
};
