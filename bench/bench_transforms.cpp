// Times the text transforms on a 10 M code-unit input: the computation alone,
// each whole command through the main window, and the write of its result into
// the input box for comparison; and a keystroke with its key-release handling
// (selection rule and search snapshot) in a 10 M text.
#include "bench_text.h"
#include "host/text_box.h"
#include "transforms/case_reversal.h"
#include "transforms/separator_insertion.h"
#include "transforms/word_reversal.h"
#include "window/form1.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <cstdio>

namespace {

constexpr int kRuns = 3;

void report(const char* what, const std::vector<double>& command,
            const std::vector<double>& write) {
    const double c = bench::median(command);
    const double w = bench::median(write);
    std::printf("%-34s command %.3f s, writing its result %.3f s, ratio %.2f\n", what, c, w, c / w);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString text = bench::makeText(10'000'000);
    // Sections to run: compute, commands, keystroke (all when none is named).
    const QStringList args = app.arguments().mid(1);
    auto want = [&](const char* section) {
        return args.isEmpty() || args.contains(QLatin1String(section));
    };

    std::vector<double> words, separators, groups;
    QString reversedWords;
    transforms::SeparatorInsertion inserted;
    if (want("compute") || want("commands")) {
        for (int run = 0; run < kRuns; ++run) {
            words.push_back(bench::seconds(
                [&] { reversedWords = transforms::reverseWords(text, QStringLiteral(" ")); }));
            separators.push_back(
                bench::seconds([&] { inserted = transforms::insertSeparators(text, u"1", u"-"); }));
            groups.push_back(bench::seconds([&] {
                (void)transforms::insertSeparators(text, u"3 5 7 100000 2000000 9000000", u"--");
            }));
        }
        std::printf("10 M code units: word reversal %.1f ms, separator insertion interval 1 "
                    "(%lld units out) %.1f ms, six groups %.1f ms (medians)\n",
                    bench::median(words) * 1e3, static_cast<long long>(inserted.text.size()),
                    bench::median(separators) * 1e3, bench::median(groups) * 1e3);
    }

    Form1 form;
    form.resize(800, 600);
    form.show();
    form.MuToolBox_Click();
    form.Text4->setText(QStringLiteral(" "));
    form.Text3->setText(QStringLiteral("1"));

    if (want("commands")) {
        auto selectAll = [&] {
            form.Text1->setSelStart(0);
            form.Text1->setSelLength(int(form.Text1->text().size()));
        };
        struct Case {
            const char* name;
            void (Form1::*command)();
            QString result;
            bool selection;
        };
        const Case cases[] = {
            {"upper case of a 10 M selection", &Form1::Command1_Click, transforms::upperCase(text),
             true},
            {"lower case of a 10 M selection", &Form1::Command2_Click, transforms::lowerCase(text),
             true},
            {"reversal of a 10 M selection", &Form1::Command3_Click, transforms::reversed(text),
             true},
            {"word reversal", &Form1::Command4_Click, reversedWords, false},
            {"separator insertion, interval 1", &Form1::Command5_Click, inserted.text, false},
        };
        for (const Case& c : cases) {
            std::vector<double> command, write;
            // One run each: a box holding one 10 M line lays it out for tens of seconds.
            for (int run = 0; run < 1; ++run) {
                form.Text1->setText(text);
                if (c.selection)
                    selectAll();
                form.Text4->setText(c.command == &Form1::Command5_Click ? QStringLiteral("-")
                                                                        : QStringLiteral(" "));
                command.push_back(bench::seconds([&] { (form.*c.command)(); }));
                if (form.Text1->text() != c.result)
                    std::printf("%s: wrong result\n", c.name);
                form.Text1->setText(text);
                write.push_back(bench::seconds([&] { form.Text1->setText(c.result); }));
            }
            report(c.name, command, write);
        }
    }
    if (want("keystroke")) {
        // Typing into the middle of a 10 M text: key press, then the key release
        // with the selection rule and the search snapshot.
        form.Text1->setText(text);
        form.Text1->setFocus();
        form.Text1->setSelStart(int(text.size() / 2));
        auto typing = [&] {
            std::vector<double> keystroke;
            for (int i = 0; i < 15; ++i) {
                keystroke.push_back(bench::seconds([&] {
                    QKeyEvent down(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier,
                                   QStringLiteral("字"));
                    QApplication::sendEvent(form.Text1, &down);
                    QKeyEvent up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier,
                                 QStringLiteral("字"));
                    QApplication::sendEvent(form.Text1, &up);
                }));
            }
            return bench::median(keystroke) * 1e3;
        };
        const double withRelease = typing();
        QObject::disconnect(form.Text1, &TextBox::keyUp, &form, nullptr);
        const double withoutRelease = typing();
        std::printf("keystroke in a 10 M text: %.2f ms with its key-release handling, %.2f ms "
                    "without (medians of 15)\n",
                    withRelease, withoutRelease);
    }
    form.InputChanged = false; // nothing to ask at exit
    return 0;
}
