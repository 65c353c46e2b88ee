#include "window/toolbox.h"

#include "host/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

Toolbox::Toolbox(QWidget* parent) : QGroupBox(QStringLiteral("工具箱"), parent) {
    setObjectName(QStringLiteral("Frame1"));
    const double dpi = logicalDpiY();
    // Created in tab order, so the focus chain needs no further setting.
    auto place = [dpi](auto* control, const char* name, twips::Rect r) {
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(twips::toPixels(r, dpi));
        return control;
    };
    auto check = [&](const char* name, const QString& caption, twips::Rect r) {
        return place(new QCheckBox(caption, this), name, r);
    };
    auto button = [&](const char* name, const QString& caption, twips::Rect r) {
        QPushButton* b = place(new QPushButton(caption, this), name, r);
        b->setEnabled(false); // until there is text to work on
        return b;
    };
    auto line = [&](const char* name, twips::Rect r) {
        QLineEdit* e = place(new QLineEdit(this), name, r);
        e->setMaxLength(std::numeric_limits<int>::max()); // never cut what is typed or pasted
        return e;
    };
    auto option = [&](const char* name, const QString& caption, twips::Rect r) {
        return place(new QRadioButton(caption, this), name, r);
    };

    Check1 = check("Check1", QStringLiteral("忽略大小写"), {120, 240, 1455, 255});
    Check2 = check("Check2", QStringLiteral("忽略换行符"), {120, 480, 1455, 255});
    Check3 = check("Check3", QStringLiteral("忽略空格"), {120, 720, 1455, 255});
    Check4 = check("Check4", QStringLiteral("忽略指定字符"), {120, 960, 1455, 255});
    Combo1 = place(new QComboBox(this), "Combo1", {1680, 960, 1455, 300});
    Combo1->setEditable(true);
    Combo1->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setEnabled(false);
    Check5 = check("Check5", QStringLiteral("忽略分隔符"), {120, 1200, 1455, 255});
    Check2->setChecked(true);
    Check3->setChecked(true);
    Check5->setChecked(true);
    Check5->setEnabled(false);

    Command1 = button("Command1", QStringLiteral("大写"), {120, 1560, 1455, 255});
    Command2 = button("Command2", QStringLiteral("小写"), {1680, 1560, 1455, 255});
    Command3 = button("Command3", QStringLiteral("倒序"), {120, 1920, 1455, 255});
    Command4 = button("Command4", QStringLiteral("词倒序"), {1680, 1920, 1455, 255});
    Command5 = button("Command5", QStringLiteral("加分隔符"), {120, 2280, 1455, 255});
    Text3 = line("Text3", {1680, 2280, 1455, 270});
    Label1 = place(new QLabel(QStringLiteral("分隔符"), this), "Label1", {120, 2640, 1455, 255});
    Text4 = line("Text4", {1680, 2640, 1455, 270});
    Label2 =
        place(new QLabel(QStringLiteral("指定字符字频"), this), "Label2", {120, 3000, 1455, 255});
    Text5 = line("Text5", {1680, 3000, 1455, 270});
    Option1 = option("Option1", QStringLiteral("按频率顺序"), {120, 3360, 1455, 255});
    Option2 = option("Option2", QStringLiteral("按频率倒序"), {1680, 3360, 1455, 255});
    Option3 = option("Option3", QStringLiteral("按出现顺序"), {120, 3720, 1335, 255});
    Option3->setChecked(true);
    Command6 = button("Command6", QStringLiteral("计算字频"), {120, 4080, 1455, 255});
    Command7 = button("Command7", QStringLiteral("计算器"), {1680, 4080, 1455, 255});
    Command7->setEnabled(true);
}
