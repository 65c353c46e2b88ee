// Times the input box on a 10 M code-unit text: write, read back, and single
// keystrokes (typing a character, Enter, Backspace) in the middle of the text.
#include "bench_text.h"
#include "host/text_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <cstdio>

namespace {

void press(TextBox& box, int key, const QString& text) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&box, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&box, &up);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString text = bench::makeText(10'000'000);
    TextBox box;
    box.resize(600, 300);
    box.show();

    std::vector<double> write, read, type, enter, backspace;
    for (int run = 0; run < 3; ++run) {
        write.push_back(bench::seconds([&] { box.setText(text); }));
        QString back;
        read.push_back(bench::seconds([&] { back = box.text(); }));
        if (back != text)
            std::printf("read back differs\n");
        box.setSelStart(int(text.size() / 2));
        for (int i = 0; i < 5; ++i) {
            type.push_back(bench::seconds([&] { press(box, Qt::Key_A, QStringLiteral("字")); }));
            enter.push_back(bench::seconds([&] { press(box, Qt::Key_Return, QStringLiteral("\r")); }));
            backspace.push_back(bench::seconds([&] { press(box, Qt::Key_Backspace, QString()); }));
        }
    }
    std::printf("10 M code units: write %.3f s, read back %.6f s, keystroke: character %.2f ms, "
                "Enter %.2f ms, Backspace %.2f ms (medians)\n",
                bench::median(write), bench::median(read), bench::median(type) * 1e3,
                bench::median(enter) * 1e3, bench::median(backspace) * 1e3);
    return 0;
}
