#include "dialogs/design_dialog.h"

#include "host/text_box.h"
#include "host/twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

DesignDialog::DesignDialog(QWidget* parent, const char* name, const QString& caption,
                           float clientWidth, float clientHeight)
    : QDialog(parent) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setModal(false);
    setSizeGripEnabled(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(toPixels(clientWidth), toPixels(clientHeight));
}

int DesignDialog::toPixels(float twipValue) const {
    return twips::toPixels(twipValue, logicalDpiY());
}

void DesignDialog::place(QWidget* control, float left, float top, float width, float height) const {
    control->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void DesignDialog::noDefaultButtons() {
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void DesignDialog::keyPressEvent(QKeyEvent* event) {
    // QDialog would accept on Enter and reject on Esc.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void DesignDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
    emit unloaded();
    deleteLater();
}

void focusInputBox(TextBox* inputBox) {
    if (!inputBox || !inputBox->window()->isEnabled())
        return;
    inputBox->window()->activateWindow();
    inputBox->setFocus();
}
