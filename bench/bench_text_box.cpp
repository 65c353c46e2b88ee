// Times the input box: writing a text (shown and painted), reading it back
// and single keystrokes (a character, Enter, Backspace) in the middle of it,
// each without the painting that follows (timed apart after a character); for
// 10 M code units in 350,000 lines ended by lone LF, CR LF and lone CR, for
// 4 M code units without any line break, and for appends to one long line.
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

// `lines` lines of benchmark text ended by `lineBreak`, `units` code units in all.
QString linesOf(qsizetype units, qsizetype lines, const QString& lineBreak) {
    QString text = bench::makeText(units);
    text.remove(u'\r');
    text.replace(u'\n', u' ');
    if (lines == 0)
        return text;
    const qsizetype length = units / lines - lineBreak.size();
    QString out;
    out.reserve(units + lines);
    for (qsizetype at = 0; out.size() + length + lineBreak.size() <= units; at += length) {
        out += QStringView(text).mid(at, length);
        out += lineBreak;
    }
    return out;
}

double time(const char* what, TextBox& box, const QString& text) {
    std::vector<double> write, read, type, enter, backspace, paint;
    for (int run = 0; run < 3; ++run) {
        write.push_back(bench::seconds([&] {
            box.setText(text);
            QApplication::processEvents();
        }));
        QString back;
        read.push_back(bench::seconds([&] { back = box.text(); }));
        if (back != text)
            std::printf("read back differs\n");
        back.clear();
        box.setSelStart(int(text.size() / 2));
        QApplication::processEvents();
        for (int i = 0; i < 5; ++i) {
            type.push_back(bench::seconds([&] { press(box, Qt::Key_A, QStringLiteral("字")); }));
            paint.push_back(bench::seconds([] { QApplication::processEvents(); }));
            enter.push_back(
                bench::seconds([&] { press(box, Qt::Key_Return, QStringLiteral("\r")); }));
            QApplication::processEvents();
            backspace.push_back(bench::seconds([&] { press(box, Qt::Key_Backspace, QString()); }));
            QApplication::processEvents();
        }
    }
    std::printf("%-34s write %.3f s, keystroke: character %.2f ms (then painting %.2f ms), "
                "Enter %.2f ms, Backspace %.2f ms; read back %.6f s (%d lines)\n",
                what, bench::median(write), bench::median(type) * 1e3, bench::median(paint) * 1e3,
                bench::median(enter) * 1e3, bench::median(backspace) * 1e3, bench::median(read),
                box.lineCount());
    return bench::median(write);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TextBox box;
    box.resize(600, 300);
    box.show();

    const double lf = time("10 M units, 350,000 LF lines:", box,
                           linesOf(10'000'000, 350'000, QStringLiteral("\n")));
    const double crlf = time("10 M units, 350,000 CR LF lines:", box,
                             linesOf(10'000'000, 350'000, QStringLiteral("\r\n")));
    time("10 M units, 350,000 CR lines:", box, linesOf(10'000'000, 350'000, QStringLiteral("\r")));
    std::printf("LF write / CR LF write: %.2f\n", lf / crlf);
    time("4 M units, no line break:", box, linesOf(4'000'000, 0, QString()));
    time("mixed text, 10 M units:", box, bench::makeText(10'000'000));

    // Appending to one long line through SelText, as a program writes it.
    box.setText(QString());
    std::vector<double> first, last;
    for (int i = 0; i < 5'000; ++i) {
        box.setSelStart(int(box.text().size()));
        const double t =
            bench::seconds([&] { box.setSelText(QStringLiteral("0123456789abcdef")); });
        (i < 100 ? first : last).push_back(t);
    }
    std::printf("SelText appends to one line: first 100 %.3f ms, last 4,900 %.3f ms (medians)\n",
                bench::median(first) * 1e3, bench::median(last) * 1e3);
    return 0;
}
