#pragma once

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The toolbox frame: the analysis options, the transform buttons and their
// boxes, placed as designed (in twips) and in their design state. It holds no
// behaviour; the main window connects its handlers to these controls.
class Toolbox : public QGroupBox {
    Q_OBJECT
  public:
    explicit Toolbox(QWidget* parent);

    // Named as in the window design (also their objectName), in tab order.
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QComboBox* Combo1 = nullptr;
    QCheckBox* Check5 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text5 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
};
