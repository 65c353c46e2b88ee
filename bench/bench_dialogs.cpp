// Times the find/replace and go-to-line dialogs on 10 M code units:
//   Find Next (ordinary text, and adversarial find texts that defeat naive
//   matching), downward and upward, case-sensitive and not;
//   Replace All of a one-character find text that occurs 1 M times: computing
//   the new text, the whole command, and writing the result into the box alone;
//   go to line on a text of 1 M lines: the line index and the whole command.
#include "bench_host.h"
#include "bench_text.h"
#include "dialogs/find_replace_logic.h"
#include "dialogs/form2.h"
#include "dialogs/form3.h"
#include "dialogs/line_index.h"
#include "dialogs/search_state.h"
#include "host/host.h"
#include "host/text_box.h"
#include "window/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <ctime>

namespace {

constexpr qsizetype kUnits = 10'000'000;
constexpr int kRuns = 5;

struct FindCase {
    const char* name;
    QString text;
    QString find;
    bool down;
    qsizetype caret;
};

// On a loaded machine the thread's CPU time says more than the wall clock.
template <typename F> double cpuSeconds(F&& f) {
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    };
    const double t0 = now();
    f();
    return now() - t0;
}

struct Figure {
    double wallMs;
    double cpuMs;
};

template <typename F> Figure medianMs(F&& f) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < kRuns; ++i) {
        double c = 0;
        wall.push_back(bench::seconds([&] { c = cpuSeconds(f); }));
        cpu.push_back(c);
    }
    return {bench::median(wall) * 1e3, bench::median(cpu) * 1e3};
}

void findNext(Form1& form, bench::SilentHost& host) {
    const QString natural = bench::makeText(kUnits - 8) + QStringLiteral("终点标记abcd");
    const QString as(kUnits, u'a');
    const QString adversarialDown = QString(1000, u'a') + u'b';
    const QString adversarialUp = u'b' + QString(1000, u'a');
    const FindCase cases[] = {
        {"ordinary text, match at the end, down", natural, QStringLiteral("终点标记ABCD"), true, 0},
        {"ordinary text, no match, down", natural, QStringLiteral("不存在的文字"), true, 0},
        {"ordinary text, match at the start, up", natural, natural.left(6), false, kUnits},
        {"a^10M, find a^1000 b, down", as, adversarialDown, true, 0},
        {"a^10M, find b a^1000, up", as, adversarialUp, false, kUnits},
        {"a^10M, find a^1000 b, up", as, adversarialDown, false, kUnits},
    };
    form.MuFind_Click();
    Form3* dialog = form.form3();
    for (const FindCase& c : cases) {
        form.Text1->setText(c.text);
        dialog->Text1->setText(c.find);
        (c.down ? dialog->Option2 : dialog->Option1)->setChecked(true);
        for (const bool caseSensitive : {true, false}) {
            dialog->Check1->setChecked(caseSensitive);
            const Figure pure = medianMs([&] {
                AnchorSearch(Module1(), c.text, c.caret);
                find_replace::findNextMatch(
                    Module1(), c.down ? find_replace::Direction::Down : find_replace::Direction::Up,
                    caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
            });
            const Figure whole = medianMs([&] {
                AnchorSearch(Module1(), c.text, c.caret);
                dialog->Command1->click();
            });
            std::printf("Find Next  %-40s %-16s search %6.2f ms (CPU %6.2f)  whole command %6.2f "
                        "ms (CPU %6.2f)\n",
                        c.name, caseSensitive ? "case-sensitive" : "case-insensitive", pure.wallMs,
                        pure.cpuMs, whole.wallMs, whole.cpuMs);
        }
    }
    std::printf("  (messages shown: %d)\n", host.messages);
    dialog->close();
}

void replaceAll(Form1& form) {
    // 1 M occurrences of '#' spread through 10 M units of text.
    QString text = bench::makeText(kUnits);
    for (qsizetype i = 5; i < kUnits; i += 10)
        text[i] = u'#';
    const QString find = QStringLiteral("#");
    const QString with = QStringLiteral("井号");
    QString result;
    const Figure compute =
        medianMs([&] { result = find_replace::replaceAll(text, find, with, Qt::CaseSensitive); });
    const Figure computeCi =
        medianMs([&] { result = find_replace::replaceAll(text, find, with, Qt::CaseInsensitive); });
    const Figure write = medianMs([&] { form.Text1->setText(result); });
    form.MuFind_Click();
    Form3* dialog = form.form3();
    dialog->Text1->setText(find);
    dialog->Text2->setText(with);
    std::vector<double> wall, cpu;
    for (int i = 0; i < kRuns; ++i) {
        form.Text1->setText(text);
        double c = 0;
        wall.push_back(bench::seconds([&] { c = cpuSeconds([&] { dialog->Command4->click(); }); }));
        cpu.push_back(c);
        if (form.Text1->text().size() != result.size())
            std::printf("  unexpected result length\n");
    }
    const Figure command{bench::median(wall) * 1e3, bench::median(cpu) * 1e3};
    std::printf("Replace All, 1 M occurrences in 10 M units:\n"
                "  compute %.2f ms (CPU %.2f), case-insensitive %.2f ms (CPU %.2f)\n"
                "  write the result into the box %.2f ms (CPU %.2f)\n"
                "  whole command %.2f ms (CPU %.2f) = %.2fx the write (CPU %.2fx)\n",
                compute.wallMs, compute.cpuMs, computeCi.wallMs, computeCi.cpuMs, write.wallMs,
                write.cpuMs, command.wallMs, command.cpuMs, command.wallMs / write.wallMs,
                command.cpuMs / write.cpuMs);
    dialog->close();
}

void goToLine(Form1& form) {
    // 1 M lines of 8 units and a CR LF.
    QString text;
    text.reserve(kUnits);
    for (int line = 0; line < 1'000'000; ++line)
        text += QStringLiteral("行%1\r\n").arg(line % 1000000, 7, 10, QChar(u'0'));
    form.Text1->setText(text);
    form.Text1->setSelStart(int(text.size()));
    const Figure index = medianMs([&] { line_index::lineStart(text, 999'999, 0); });
    const Figure caretLine = medianMs([&] { line_index::lineStart(text, -1, text.size()); });
    std::vector<double> wall, cpu;
    for (int i = 0; i < kRuns; ++i) {
        form.MuGoTo_Click();
        Form2* dialog = form.form2();
        dialog->Text1->setText(QStringLiteral("1000000"));
        double c = 0;
        wall.push_back(bench::seconds([&] { c = cpuSeconds([&] { dialog->Command1->click(); }); }));
        cpu.push_back(c);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (form.Text1->selStart() != text.size() - 10)
            std::printf("  unexpected caret %d\n", form.Text1->selStart());
    }
    std::printf("Go to line 1000000 of 1 M lines (%lld units): line index %.2f ms (CPU %.2f), "
                "caret's line %.2f ms (CPU %.2f), whole command %.2f ms (CPU %.2f)\n",
                (long long)text.size(), index.wallMs, index.cpuMs, caretLine.wallMs,
                caretLine.cpuMs, bench::median(wall) * 1e3, bench::median(cpu) * 1e3);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::SilentHost host;
    Form1 form(host);
    form.show();
    findNext(form, host);
    replaceAll(form);
    goToLine(form);
    return 0;
}
