#include "window/form1.h"

#include "host/app_icon.h"
#include "host/key_filter.h"
#include "host/placeholders.h"
#include "host/qt_host.h"
#include "host/text_box.h"
#include "host/twips.h"
#include "window/combo_presets.h"
#include "window/document_title.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace {

using placeholders::kInput;
using placeholders::kOutput;

constexpr float kClientWidth = 8595;
constexpr float kClientHeight = 4545;
constexpr float kToolboxSpan = 3375; // 60 + frame width 3255 + 60

template <typename T> T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

Form1::Form1() : m_ownedHost(std::make_unique<QtHost>()), m_host(*m_ownedHost) {
    buildControls();
    buildMenus();
    connectHandlers();
    Form_Load();
}

Form1::Form1(Host& host) : m_host(host) {
    buildControls();
    buildMenus();
    connectHandlers();
    Form_Load();
}

Form1::~Form1() {
    // Hidden while still whole: hiding moves the focus out of the boxes, and
    // their handlers (Text3's key filter among them) call into this window.
    // QWidget's destructor would hide it only after this object is gone.
    hide();
    // The number box's filter must not call back here either once this part is gone.
    Text3->setValidator(nullptr);
}

void Form1::buildControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kProgramName);
    setWindowIcon(appIcon());

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);

    Text1 = named(new TextBox(m_client), "Text1");
    Text2 = named(new TextBox(m_client), "Text2");
    Text2->setReadOnly(true);
    Frame1 = new Toolbox(m_client);
    setTwipGeometry(Text1, {0, 0, 4215, 1695});
    setTwipGeometry(Text2, {0, 1920, 4215, 1695});
    setTwipGeometry(Frame1, {4320, 0, 3255, 4455});
    Frame1->hide();

    Check1 = Frame1->Check1;
    Check2 = Frame1->Check2;
    Check3 = Frame1->Check3;
    Check4 = Frame1->Check4;
    Check5 = Frame1->Check5;
    Combo1 = Frame1->Combo1;
    Command1 = Frame1->Command1;
    Command2 = Frame1->Command2;
    Command3 = Frame1->Command3;
    Command4 = Frame1->Command4;
    Command5 = Frame1->Command5;
    Command6 = Frame1->Command6;
    Command7 = Frame1->Command7;
    Text3 = Frame1->Text3;
    Text4 = Frame1->Text4;
    Text5 = Frame1->Text5;
    Label1 = Frame1->Label1;
    Label2 = Frame1->Label2;
    Option1 = Frame1->Option1;
    Option2 = Frame1->Option2;
    Option3 = Frame1->Option3;

    m_client->installEventFilter(this);
    const double d = dpi();
    resize(twips::toPixels(kClientWidth, d), twips::toPixels(kClientHeight, d));
}

void Form1::showEvent(QShowEvent* event) {
    if (!m_shownOnce) {
        // The menu bar's height is known only now: size the client area as designed
        // and centre the window on the screen.
        m_shownOnce = true;
        layout()->activate();
        const double d = dpi();
        const QSize client(twips::toPixels(kClientWidth, d), twips::toPixels(kClientHeight, d));
        resize(size() + (client - m_client->size()));
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), frameGeometry().size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QMainWindow::showEvent(event);
}

void Form1::buildMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [bar](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const QString& caption,
                       const QKeySequence& shortcut = {}, bool enabled = true) {
        QAction* a = m->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(shortcut);
        a->setEnabled(enabled);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a); // shortcuts work while the menu bar is closed
        return a;
    };
    auto separator = [](QMenu* m, const char* name) {
        QAction* a = m->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    MuFile = menu("MuFile", QStringLiteral("文件(&F)"));
    MuNew = item(MuFile, "MuNew", QStringLiteral("新建(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N));
    MuOpen =
        item(MuFile, "MuOpen", QStringLiteral("打开(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    MuSave = item(MuFile, "MuSave", QStringLiteral("保存输入框(&S)"),
                  QKeySequence(Qt::CTRL | Qt::Key_S));
    MuSave2 = item(MuFile, "MuSave2", QStringLiteral("保存输出框(&V)"));
    MuSaveAs = item(MuFile, "MuSaveAs", QStringLiteral("输入框另存为(&A)..."));
    MuSaveAs2 = item(MuFile, "MuSaveAs2", QStringLiteral("输出框另存为(&E)..."));
    MuInt3 = separator(MuFile, "MuInt3");
    MuExit = item(MuFile, "MuExit", QStringLiteral("退出(&X)"));

    MuEdit = menu("MuEdit", QStringLiteral("编辑(&E)"));
    MuUnDo = item(MuEdit, "MuUnDo", QStringLiteral("撤销(&U)"));
    MuInt1 = separator(MuEdit, "MuInt1");
    MuCut = item(MuEdit, "MuCut", QStringLiteral("剪切(&T)"), {}, false);
    MuCopy = item(MuEdit, "MuCopy", QStringLiteral("复制(&C)"), {}, false);
    MuPaste = item(MuEdit, "MuPaste", QStringLiteral("粘贴(&P)"));
    MuDel = item(MuEdit, "MuDel", QStringLiteral("删除(&L)"), {}, false);
    MuInt2 = separator(MuEdit, "MuInt2");
    MuSelectAll = item(MuEdit, "MuSelectAll", QStringLiteral("全选输入框(&A)"),
                       QKeySequence(Qt::CTRL | Qt::Key_A));
    MuSelectAllB = item(MuEdit, "MuSelectAllB", QStringLiteral("全选输出框(&B)"),
                        QKeySequence(Qt::CTRL | Qt::Key_B));
    MuClear = item(MuEdit, "MuClear", QStringLiteral("清空输出框(&E)"), QKeySequence(Qt::Key_F4));
    MuCalc = item(MuEdit, "MuCalc", QStringLiteral("计算字频(J)"), QKeySequence(Qt::Key_F5), false);

    MuView = menu("MuView", QStringLiteral("查看(&V)"));
    MuToolBox =
        item(MuView, "MuToolBox", QStringLiteral("工具箱(&X)"), QKeySequence(Qt::CTRL | Qt::Key_T));
    MuToolBox->setCheckable(true);
    MuToolBox->setChecked(false);

    MuTool = menu("MuTool", QStringLiteral("工具(&T)"));
    MuFind = item(MuTool, "MuFind", QStringLiteral("查找/替换(&F)..."),
                  QKeySequence(Qt::CTRL | Qt::Key_F), false);
    MuGoTo =
        item(MuTool, "MuGoTo", QStringLiteral("转到行(&G)..."), QKeySequence(Qt::CTRL | Qt::Key_G));

    MuHelp = menu("MuHelp", QStringLiteral("帮助(&H)"));
    MuHelpT = item(MuHelp, "MuHelpT", QStringLiteral("帮助主题(&H)"), QKeySequence(Qt::Key_F1));
    MuInt4 = separator(MuHelp, "MuInt4");
    MuAbout = item(MuHelp, "MuAbout", QStringLiteral("关于Quillet(&A)..."));
}

void Form1::connectHandlers() {
    connect(Text1, &TextBox::changed, this, &Form1::Text1_Change);
    connect(Text1, &TextBox::gotFocus, this, &Form1::Text1_GotFocus);
    connect(Text1, &TextBox::lostFocus, this, &Form1::Text1_LostFocus);
    connect(Text2, &TextBox::gotFocus, this, &Form1::Text2_GotFocus);
    connect(Text2, &TextBox::lostFocus, this, &Form1::Text2_LostFocus);
    // The check mark is ours to keep (MuToolBox_Click), not the action's.
    connect(MuToolBox, &QAction::triggered, this, [this] {
        MuToolBox->setChecked(!MuToolBox->isChecked());
        MuToolBox_Click();
    });

    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(MuCalc, &QAction::triggered, this, &Form1::MuCalc_Click);
    connect(Check4, &QCheckBox::stateChanged, this, &Form1::Check4_Click);
    connect(Text4, &QLineEdit::textChanged, this, &Form1::Text4_Change);
    new KeyPressValidator(Text3, [this](int& keyAscii) { Text3_KeyPress(keyAscii); });

    connect(MuOpen, &QAction::triggered, this, &Form1::MuOpen_Click);
    connect(MuSave, &QAction::triggered, this, &Form1::MuSave_Click);
    connect(MuSave2, &QAction::triggered, this, &Form1::MuSave2_Click);
    connect(MuSaveAs, &QAction::triggered, this, &Form1::MuSaveAs_Click);
    connect(MuSaveAs2, &QAction::triggered, this, &Form1::MuSaveAs2_Click);
    connect(MuNew, &QAction::triggered, this, &Form1::MuNew_Click);
    connect(MuExit, &QAction::triggered, this, &Form1::MuExit_Click);

    connect(MuFind, &QAction::triggered, this, &Form1::MuFind_Click);
    connect(MuGoTo, &QAction::triggered, this, &Form1::MuGoTo_Click);
    connect(MuAbout, &QAction::triggered, this, &Form1::MuAbout_Click);
    connect(MuHelpT, &QAction::triggered, this, &Form1::MuHelpT_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connectEditHandlers();
}

void Form1::Form_Load() {
    Text2->setFontItalic(true);
    Text2->setText(kOutput);
    setInputChanged(false);
    Combo1->addItem(combo_presets::asciiSigns());
    Combo1->addItem(combo_presets::chineseSigns());
    Combo1->addItem(combo_presets::allSigns());
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QString());
    Text1->setFocus();
}

// ---- Layout -------------------------------------------------------------

double Form1::dpi() const {
    return logicalDpiY();
}

float Form1::ScaleWidth() const {
    return twips::fromPixels(m_client->width(), dpi());
}

float Form1::ScaleHeight() const {
    return twips::fromPixels(m_client->height(), dpi());
}

Form1::TwipRect Form1::twipGeometry(const QWidget* control) const {
    const auto it = m_twips.find(control);
    return it == m_twips.end() ? TwipRect{} : it->second;
}

void Form1::setTwipGeometry(QWidget* control, const TwipRect& rect) {
    m_twips[control] = rect;
    control->setGeometry(twips::toPixels(rect, dpi()));
}

// A negative size is refused: the assignment is skipped, the layout goes on.
void Form1::setTwipWidth(QWidget* control, float width) {
    if (width < 0)
        return;
    TwipRect r = twipGeometry(control);
    r.width = width;
    setTwipGeometry(control, r);
}

void Form1::setTwipHeight(QWidget* control, float height) {
    if (height < 0)
        return;
    TwipRect r = twipGeometry(control);
    r.height = height;
    setTwipGeometry(control, r);
}

void Form1::setTwipLeft(QWidget* control, float left) {
    TwipRect r = twipGeometry(control);
    r.left = left;
    setTwipGeometry(control, r);
}

void Form1::setTwipTop(QWidget* control, float top) {
    TwipRect r = twipGeometry(control);
    r.top = top;
    setTwipGeometry(control, r);
}

void Form1::Form_Resize() {
    if (Frame1->isVisibleTo(this)) {
        setTwipWidth(Text1, ScaleWidth() - kToolboxSpan);
        setTwipWidth(Text2, ScaleWidth() - kToolboxSpan);
        setTwipLeft(Frame1, twipGeometry(Text1).width + 60);
        setTwipHeight(Text1, ScaleHeight() / 2 - 16);
        setTwipHeight(Text2, ScaleHeight() / 2 - 16);
        setTwipTop(Text2, ScaleHeight() / 2 + 16);
        setTwipHeight(Frame1, ScaleHeight());
    } else {
        setTwipWidth(Text1, ScaleWidth());
        setTwipWidth(Text2, ScaleWidth());
        setTwipHeight(Text1, ScaleHeight() / 2 - 16);
        setTwipHeight(Text2, ScaleHeight() / 2 - 16);
        setTwipTop(Text2, ScaleHeight() / 2 + 16);
    }
}

void Form1::MuToolBox_Click() {
    if (MuToolBox->isChecked()) {
        Frame1->hide();
        Form_Resize();
        MuToolBox->setChecked(false);
    } else {
        Frame1->show();
        Form_Resize();
        MuToolBox->setChecked(true);
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

// ---- Placeholders and the input box's change handling ---------------------

void Form1::Text1_GotFocus() {
    if (Text1->fontItalic() && Text1->textIs(kInput)) {
        Text1->setTextOutsideHistory(QString());
        Text1->setFontItalic(false);
    }
}

void Form1::Text1_LostFocus() {
    if (Text1->textSize() == 0) {
        Text1->setFontItalic(true);
        Text1->setTextOutsideHistory(kInput);
    }
}

void Form1::Text2_GotFocus() {
    if (Text2->fontItalic())
        Text2->setText(QString());
}

void Form1::Text2_LostFocus() {
    if (Text2->textSize() == 0) {
        Text2->setFontItalic(true);
        Text2->setText(kOutput);
    }
}

void Form1::Text1_Change() {
    // Runs at every keystroke: asks the box without making one string of its text.
    const bool italic = Text1->fontItalic();
    if ((italic && Text1->textIs(kInput)) || Text1->textSize() == 0) {
        MuFind->setEnabled(false);
        Command1->setEnabled(false);
        Command2->setEnabled(false);
        Command3->setEnabled(false);
        Command5->setEnabled(false);
        Command6->setEnabled(false);
        MuCalc->setEnabled(false);
        return;
    }
    MuFind->setEnabled(true);
    if (Text1->selLength() > 0) {
        Command1->setEnabled(true);
        Command2->setEnabled(true);
        Command3->setEnabled(true);
    }
    Command5->setEnabled(true);
    Command6->setEnabled(true);
    MuCalc->setEnabled(true);
    setInputChanged(true);
}

void Form1::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}
