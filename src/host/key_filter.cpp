#include "host/key_filter.h"

#include <QLineEdit>

KeyPressValidator::KeyPressValidator(QLineEdit* box, std::function<void(int&)> filter)
    : QValidator(box), m_filter(std::move(filter)) {
    box->setValidator(this);
}

QValidator::State KeyPressValidator::validate(QString& input, int&) const {
    for (const QChar ch : std::as_const(input)) {
        int code = ch.unicode();
        m_filter(code);
        if (code == 0)
            return Invalid;
    }
    return Acceptable;
}
