#include "window/form1.h"

#include "host/key_filter.h"
#include "host/qt_host.h"
#include "host/text_box.h"
#include "host/twips.h"
#include "window/app_icon.h"
#include "window/combo_presets.h"
#include "window/document_title.h"
#include "window/placeholders.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
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

Form1::~Form1() = default;

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
    Text2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Frame1 = named(new QGroupBox(QStringLiteral("工具箱"), m_client), "Frame1");
    setTwipGeometry(Text1, {0, 0, 4215, 1695});
    setTwipGeometry(Text2, {0, 1920, 4215, 1695});
    setTwipGeometry(Frame1, {4320, 0, 3255, 4455});
    Frame1->hide();

    auto check = [this](const char* name, const QString& caption, TwipRect r) {
        auto* box = named(new QCheckBox(caption, Frame1), name);
        setTwipGeometry(box, r);
        return box;
    };
    auto button = [this](const char* name, const QString& caption, TwipRect r) {
        auto* b = named(new QPushButton(caption, Frame1), name);
        setTwipGeometry(b, r);
        b->setEnabled(false);
        return b;
    };
    auto line = [this](const char* name, TwipRect r) {
        auto* e = named(new QLineEdit(Frame1), name);
        setTwipGeometry(e, r);
        return e;
    };
    auto option = [this](const char* name, const QString& caption, TwipRect r) {
        auto* o = named(new QRadioButton(caption, Frame1), name);
        setTwipGeometry(o, r);
        return o;
    };

    Check1 = check("Check1", QStringLiteral("忽略大小写"), {120, 240, 1455, 255});
    Check2 = check("Check2", QStringLiteral("忽略换行符"), {120, 480, 1455, 255});
    Check3 = check("Check3", QStringLiteral("忽略空格"), {120, 720, 1455, 255});
    Check4 = check("Check4", QStringLiteral("忽略指定字符"), {120, 960, 1455, 255});
    Combo1 = named(new QComboBox(Frame1), "Combo1");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    setTwipGeometry(Combo1, {1680, 960, 1455, 300});
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
    Label1 = named(new QLabel(QStringLiteral("分隔符"), Frame1), "Label1");
    setTwipGeometry(Label1, {120, 2640, 1455, 255});
    Text4 = line("Text4", {1680, 2640, 1455, 270});
    Label2 = named(new QLabel(QStringLiteral("指定字符字频"), Frame1), "Label2");
    setTwipGeometry(Label2, {120, 3000, 1455, 255});
    Text5 = line("Text5", {1680, 3000, 1455, 270});
    Option1 = option("Option1", QStringLiteral("按频率顺序"), {120, 3360, 1455, 255});
    Option2 = option("Option2", QStringLiteral("按频率倒序"), {1680, 3360, 1455, 255});
    Option3 = option("Option3", QStringLiteral("按出现顺序"), {120, 3720, 1335, 255});
    Option3->setChecked(true);
    Command6 = button("Command6", QStringLiteral("计算字频"), {120, 4080, 1455, 255});
    Command7 = button("Command7", QStringLiteral("计算器"), {1680, 4080, 1455, 255});
    Command7->setEnabled(true);

    const QList<QWidget*> tabOrder = {Text1,    Text2,    Check1,   Check2,   Check3,   Check4,
                                      Combo1,   Check5,   Command1, Command2, Command3, Command4,
                                      Command5, Text3,    Text4,    Text5,    Option1,  Option2,
                                      Option3,  Command6, Command7};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);

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
    new KeyPressFilter(Text3, [this](int& keyAscii) { Text3_KeyPress(keyAscii); });
    // What the key filter keeps out must not come in by pasting either.
    Text3->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]*")), Text3));

    connect(MuOpen, &QAction::triggered, this, &Form1::MuOpen_Click);
    connect(MuSave, &QAction::triggered, this, &Form1::MuSave_Click);
    connect(MuSave2, &QAction::triggered, this, &Form1::MuSave2_Click);
    connect(MuSaveAs, &QAction::triggered, this, &Form1::MuSaveAs_Click);
    connect(MuSaveAs2, &QAction::triggered, this, &Form1::MuSaveAs2_Click);
    connect(MuNew, &QAction::triggered, this, &Form1::MuNew_Click);
    connect(MuExit, &QAction::triggered, this, &Form1::MuExit_Click);
    connectEditHandlers();
}

void Form1::Form_Load() {
    Text2->setFontItalic(true);
    Text2->setText(kOutput);
    setWindowTitle(document_title::caption(QString()));
    InputChanged = false;
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
    const double d = dpi();
    control->setGeometry(twips::toPixels(rect.left, d), twips::toPixels(rect.top, d),
                         twips::toPixels(rect.width, d), twips::toPixels(rect.height, d));
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
    if (Text1->text() == kInput && Text1->fontItalic()) {
        Text1->setTextOutsideHistory(QString());
        Text1->setFontItalic(false);
    }
}

void Form1::Text1_LostFocus() {
    if (Text1->text().isEmpty()) {
        Text1->setFontItalic(true);
        Text1->setTextOutsideHistory(kInput);
    }
}

void Form1::Text2_GotFocus() {
    if (Text2->fontItalic())
        Text2->setText(QString());
}

void Form1::Text2_LostFocus() {
    if (Text2->text().isEmpty()) {
        Text2->setFontItalic(true);
        Text2->setText(kOutput);
    }
}

void Form1::Text1_Change() {
    const bool italic = Text1->fontItalic();
    const QString text = Text1->text();
    if ((text == kInput && italic) || text.isEmpty()) {
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
    if (!Text1->selText().isEmpty()) {
        Command1->setEnabled(true);
        Command2->setEnabled(true);
        Command3->setEnabled(true);
    }
    Command5->setEnabled(true);
    Command6->setEnabled(true);
    MuCalc->setEnabled(true);
    InputChanged = true;
    if (!windowTitle().contains(u'*'))
        setWindowTitle(u'*' + windowTitle());
}

void Form1::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}
