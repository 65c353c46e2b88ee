#include "dialogs/frm_about.h"

#include "host/app_icon.h"
#include "host/host.h"
#include "host/text_box.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

#ifndef QUILLET_CONTACT_EMAIL
#define QUILLET_CONTACT_EMAIL "quillet@example.org"
#endif
#ifndef QUILLET_VERSION
#define QUILLET_VERSION "1.01"
#endif

namespace {

const QColor kLinkBlue(0, 0, 192);
const QColor kVisitedRed(128, 0, 0);

QFrame* separatorLine(QWidget* parent, const char* name, const QColor& colour) {
    auto* line = DesignDialog::named(new QFrame(parent), name);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

} // namespace

QString FrmAbout::contactAddress() {
    return QStringLiteral(QUILLET_CONTACT_EMAIL);
}

FrmAbout::FrmAbout(QWidget* owner, TextBox* inputBox, Host& host, const QString& address)
    : DesignDialog(nullptr, "FrmAbout", QStringLiteral("关于 Quillet"), 4095, 2160), m_owner(owner),
      m_inputBox(inputBox), m_host(host), m_address(address) {
    Image1 = add(new QLabel(this), "Image1", 120, 120, 960, 960);
    Image1->setPixmap(appIcon().pixmap(Image1->size()));
    Image1->setScaledContents(true);
    Label1 = add(new QLabel(kProgramName, this), "Label1", 1200, 120, 2775, 255);
    Label2 = add(new QLabel(QStringLiteral("版本:") + QStringLiteral(QUILLET_VERSION), this),
                 "Label2", 1200, 480, 2775, 255);
    Label3 = add(new QLabel(QStringLiteral("Quillet 开发组 2026 年制作"), this), "Label3", 1200,
                 840, 2775, 255);
    Label4 =
        add(new QLabel(QStringLiteral("请联系 ") + m_address + QStringLiteral(" 获取程序相关信息"),
                       this),
            "Label4", 1200, 1200, 2775, 375);
    Label4->setWordWrap(true);
    Label4->setTextFormat(Qt::PlainText);
    QFont linkFont = Label4->font();
    // SimSun where it is installed, another Simplified-Chinese face where not.
    linkFont.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                          QStringLiteral("NSimSun"), QStringLiteral("Noto Serif CJK SC"),
                          QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                          QStringLiteral("Source Han Sans SC")});
    linkFont.setPointSize(9);
    linkFont.setWeight(QFont::Normal);
    linkFont.setUnderline(true);
    Label4->setFont(linkFont);
    // The wrapped line may need a little more than its design height where the
    // substitute face is taller; there is room down to the separator.
    Label4->resize(Label4->width(), std::clamp(Label4->heightForWidth(Label4->width()),
                                               Label4->height(), toPixels(1680) - Label4->y() - 1));
    Label4->setCursor(Qt::PointingHandCursor);
    setLinkColour(kLinkBlue);
    Label4->installEventFilter(this);

    // An etched line: dark grey with white beneath it.
    Line1 = separatorLine(this, "Line1", QColor(64, 64, 64));
    Line2 = separatorLine(this, "Line2", QColor(255, 255, 255));
    const int lineLeft = toPixels(120);
    const int lineWidth = toPixels(3960) - lineLeft;
    Line1->setGeometry(lineLeft, toPixels(1680), lineWidth, 1);
    Line2->setGeometry(lineLeft, toPixels(1680) + 1, lineWidth, 1);

    Command1 =
        add(new QPushButton(QStringLiteral("确定(&O)"), this), "Command1", 1200, 1800, 1695, 255);
    noDefaultButtons();
    connect(Command1, &QPushButton::clicked, this, &FrmAbout::Command1_Click);

    // Above the main window without being its child.
    if (m_owner) {
        winId();
        m_owner->window()->winId();
        windowHandle()->setTransientParent(m_owner->window()->windowHandle());
        connect(m_owner, &QObject::destroyed, this, [this] { delete this; });
        // Centred over the main window, as the owned dialogs are.
        QRect frame(QPoint(), size());
        frame.moveCenter(m_owner->window()->geometry().center());
        move(frame.topLeft());
    }
    Form_Load();
}

void FrmAbout::setLinkColour(const QColor& colour) {
    QPalette palette = Label4->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label4->setPalette(palette);
}

void FrmAbout::Form_Load() {
    if (m_owner)
        m_owner->window()->setEnabled(false);
}

void FrmAbout::Command1_Click() {
    close();
}

void FrmAbout::Label4_Click() {
    setLinkColour(kVisitedRed);
    if (!m_host.openUrl(QUrl(QStringLiteral("mailto:") + m_address)))
        m_host.msgBox(QStringLiteral("没有可以处理电子邮件链接的程序。请用邮件程序写信到 ") +
                          m_address,
                      msgbox::Critical, kProgramName);
}

bool FrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label4 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label4->rect().contains(mouse->position().toPoint()))
            Label4_Click();
    }
    return DesignDialog::eventFilter(watched, event);
}

void FrmAbout::Form_Unload() {
    if (m_owner)
        m_owner->window()->setEnabled(true);
    focusInputBox(m_inputBox);
}
