#include "host/key_filter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

KeyPressFilter::KeyPressFilter(QObject* target, std::function<void(int&)> filter)
    : QObject(target), m_filter(std::move(filter)) {
    target->installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        int code = -1;
        if (key->key() == Qt::Key_Backspace)
            code = 8;
        else if (!key->text().isEmpty() && !(key->modifiers() & Qt::ControlModifier))
            code = key->text().front().unicode();
        if (code >= 0) {
            m_filter(code);
            if (code == 0)
                return true;
        }
    } else if (event->type() == QEvent::InputMethod) {
        auto* im = static_cast<QInputMethodEvent*>(event);
        if (!im->commitString().isEmpty()) {
            QString kept;
            for (const QChar ch : im->commitString()) {
                int code = ch.unicode();
                m_filter(code);
                if (code != 0)
                    kept += ch;
            }
            if (kept != im->commitString())
                im->setCommitString(kept, im->replacementStart(), im->replacementLength());
        }
    }
    return QObject::eventFilter(watched, event);
}
