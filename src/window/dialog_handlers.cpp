// The main window's handlers that open its dialogs, the help file and the calculator.

#include "dialogs/find_replace_logic.h"
#include "dialogs/form2.h"
#include "dialogs/form3.h"
#include "dialogs/frm_about.h"
#include "host/text_box.h"
#include "window/form1.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

// Desktop calculators, the most common first.
const QStringList kCalculators = {
    QStringLiteral("gnome-calculator"),
    QStringLiteral("kcalc"),
    QStringLiteral("mate-calc"),
    QStringLiteral("galculator"),
    QStringLiteral("qalculate-qt"),
    QStringLiteral("qalculate-gtk"),
    QStringLiteral("xcalc"),
};

// Programs that open a file in the desktop's viewer for its type, with the
// arguments that go before the file.
struct Viewer {
    QString program;
    QStringList leading;
};
const Viewer kViewers[] = {
    {QStringLiteral("xdg-open"), {}},
    {QStringLiteral("gio"), {QStringLiteral("open")}},
};

const QString kHelpFile = QStringLiteral("ReadMe.txt");

void bringForward(QWidget* dialog) {
    if (dialog->isVisible())
        dialog->raise();
    dialog->show();
    dialog->activateWindow();
}

} // namespace

Form2* Form1::form2() const {
    return m_form2;
}

Form3* Form1::form3() const {
    return m_form3;
}

FrmAbout* Form1::frmAbout() const {
    return m_frmAbout;
}

void Form1::MuFind_Click() {
    if (!m_form3) {
        m_form3 = new Form3(this, Text1, m_host);
        connect(m_form3, &DesignDialog::unloaded, this, [this] { m_form3 = nullptr; });
    }
    bringForward(m_form3);
    // Only a short single line goes into the one-line find box: a long
    // selection would be laid out whole there, freezing the program, and a
    // line break cannot be typed into it. Otherwise the box keeps its text.
    const int length = Text1->selLength();
    const QString selected = length <= find_replace::kMaxFindPrefill ? Text1->selText() : QString();
    const bool prefill =
        length <= find_replace::kMaxFindPrefill && !find_replace::hasLineBreak(selected);
    // Writing the find box runs its change handling, also for the same text.
    if (prefill && m_form3->Text1->text() != selected)
        m_form3->Text1->setText(selected);
    else
        m_form3->Text1_Change();
    m_form3->Text1->selectAll();
    if (length == 0)
        m_form3->Command1->setEnabled(false);
}

void Form1::MuGoTo_Click() {
    if (!m_form2) {
        m_form2 = new Form2(this, Text1, m_host);
        connect(m_form2, &DesignDialog::unloaded, this, [this] { m_form2 = nullptr; });
    }
    bringForward(m_form2);
}

void Form1::MuAbout_Click() {
    if (!m_frmAbout) {
        m_frmAbout = new FrmAbout(this, Text1, m_host, FrmAbout::contactAddress());
        connect(m_frmAbout, &DesignDialog::unloaded, this, [this] { m_frmAbout = nullptr; });
    }
    bringForward(m_frmAbout);
}

void Form1::MuHelpT_Click() {
    // Next to the program first, then where an installation puts its data.
    const QString directory = m_host.programDirectory();
    const QStringList places = {
        QDir(directory).filePath(kHelpFile),
        QDir::cleanPath(directory + QStringLiteral("/../share/quillet/") + kHelpFile),
    };
    QString helpFile;
    for (const QString& place : places) {
        if (QFileInfo(place).isFile()) {
            helpFile = place;
            break;
        }
    }
    if (helpFile.isEmpty()) {
        m_host.msgBox(QStringLiteral("找不到帮助文件 ") + kHelpFile +
                          QStringLiteral(",已查找:\r\n") + places.join(QStringLiteral("\r\n")),
                      msgbox::Critical, kProgramName);
        return;
    }
    for (const Viewer& viewer : kViewers) {
        const QString program = m_host.findProgram(viewer.program);
        if (program.isEmpty())
            continue;
        QString error;
        // The launcher may fail after this window has gone.
        const auto failed = [self = QPointer<Form1>(this)](const QString& reason) {
            if (self)
                self->m_host.msgBox(QStringLiteral("无法打开帮助文件:") + reason, msgbox::Critical,
                                    kProgramName);
        };
        if (!m_host.startLauncher(program, viewer.leading + QStringList{helpFile}, &error, failed))
            m_host.msgBox(error, msgbox::Critical, kProgramName);
        return;
    }
    m_host.msgBox(QStringLiteral("找不到打开文本文件的程序 xdg-open"), msgbox::Critical,
                  kProgramName);
}

void Form1::Command7_Click() {
    for (const QString& name : kCalculators) {
        const QString program = m_host.findProgram(name);
        if (program.isEmpty())
            continue;
        QString error;
        if (!m_host.startProgram(program, {}, &error))
            m_host.msgBox(error, msgbox::Critical, kProgramName);
        return;
    }
    m_host.msgBox(QStringLiteral("找不到计算器程序"), msgbox::Critical, kProgramName);
}
