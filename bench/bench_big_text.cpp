// Big Chinese texts in the input box, each figure in a process of its own so
// that peak memory is the figure's own:
//   make PATH MB   writes MB megabytes of the benchmark text in UTF-8
//   open PATH      File > Open through the main window, a keystroke, Save: times and
//                  peak resident memory (the file is written back)
//   parts PATH     the memory each part takes: file bytes, decoded text, the box
//                  (exact text, block map), search snapshot, undo
//   keys MB        CPU per keystroke (press and release, as typed) in the middle of
//                  an MB-megabyte text: a character, Enter, Backspace, and Enter and
//                  Backspace at the end of the widest line
#include "bench_host.h"
#include "bench_text.h"
#include "dialogs/search_state.h"
#include "host/encoding_detection.h"
#include "host/file_io.h"
#include "host/text_box.h"
#include "window/form1.h"
#include "window/text_file.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <typename F> double cpu(F&& f) {
    const double t0 = cpuSeconds();
    f();
    return cpuSeconds() - t0;
}

double heapMb() {
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd) / 1e6;
}

double peakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1e3;
}

// The benchmark text of the other benches (Chinese with some ASCII, CR LF lines
// of about 40 characters) in UTF-8, about 2.42 bytes a unit.
QByteArray chineseBytes(qsizetype bytes) {
    return bench::makeText(qsizetype(double(bytes) / 2.42)).toUtf8();
}

void press(QWidget* box, int key, const QString& text) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &up);
}

int keys(double megabytes) {
    bench::SilentHost host;
    Form1 form(host);
    form.show();
    TextBox* box = form.Text1;
    box->setFocus();
    QString text = QString::fromUtf8(chineseBytes(qsizetype(megabytes * 1e6)));
    // The widest line, in the middle: 900 units, one block of the view.
    const qsizetype middle = text.indexOf(u'\n', text.size() / 2) + 1;
    text.insert(middle, QString(899, u'宽') + QStringLiteral("\r\n"));
    const qsizetype wideEnd = middle + 899;
    box->setText(text);
    QApplication::processEvents();
    auto median = [&](qsizetype at, auto&& step) {
        std::vector<double> t;
        for (int i = 0; i < 9; ++i) {
            box->setSelStart(int(at));
            t.push_back(cpu(step) * 1e3);
            QApplication::processEvents();
        }
        return bench::median(t);
    };
    const qsizetype mid = middle - 20;
    const double character = median(mid, [&] { press(box, Qt::Key_A, u"字"_qs); });
    const double enter = median(mid, [&] { press(box, Qt::Key_Return, u"\r"_qs); });
    const double backspace = median(mid, [&] { press(box, Qt::Key_Backspace, QString()); });
    // At the end of the widest line: Backspace shrinks it, then a character
    // brings it back; Enter splits it, then Backspace joins it again.
    std::vector<double> wideBack, wideEnter;
    for (int i = 0; i < 9; ++i) {
        box->setSelStart(int(wideEnd));
        wideBack.push_back(cpu([&] { press(box, Qt::Key_Backspace, QString()); }) * 1e3);
        QApplication::processEvents();
        press(box, Qt::Key_A, u"宽"_qs);
        QApplication::processEvents();
        box->setSelStart(int(wideEnd - 400));
        wideEnter.push_back(cpu([&] { press(box, Qt::Key_Return, u"\r"_qs); }) * 1e3);
        QApplication::processEvents();
        press(box, Qt::Key_Backspace, QString());
        QApplication::processEvents();
    }
    std::printf("%5.0f MB (%.1f M units, %d lines): CPU per keystroke: character %.3f ms, "
                "Enter %.3f ms, Backspace %.3f ms; on the widest line: Backspace %.3f ms, "
                "Enter %.3f ms (medians of 9)\n",
                megabytes, double(text.size()) / 1e6, box->lineCount(), character, enter, backspace,
                bench::median(wideBack), bench::median(wideEnter));
    form.InputChanged = false;
    return 0;
}

int open(const QString& path) {
    bench::SilentHost host;
    host.printMessages = true;
    Form1 form(host);
    form.show();
    QApplication::processEvents();
    const double before = peakRssMb();
    host.nextFile = path;
    const double wall = bench::seconds([&] { form.MuOpen_Click(); });
    const double peak = peakRssMb();
    QApplication::processEvents();
    std::printf("open %.1f MB: %.3f s; peak resident %.0f MB (%.0f MB before); "
                "heap after %.0f MB; %lld units, %d lines\n",
                double(QFileInfo(path).size()) / 1e6, wall, peakRssMb(), before, heapMb(),
                qlonglong(form.Text1->text().size()), form.Text1->lineCount());
    (void)peak;
    // A keystroke, then Save (the file is written back in place).
    form.Text1->setFocus();
    form.Text1->setSelStart(int(form.Text1->textSize() / 2));
    const double key = cpu([&] { press(form.Text1, Qt::Key_A, u"字"_qs); }) * 1e3;
    const double save = bench::seconds([&] { form.MuSave_Click(); });
    std::printf("then a keystroke %.3f ms CPU, save %.3f s; peak resident %.0f MB\n", key, save,
                peakRssMb());
    return 0;
}

int parts(const QString& path) {
    std::printf("part                        MB   seconds\n");
    double at = heapMb();
    auto t0 = std::chrono::steady_clock::now();
    auto step = [&](const char* what) {
        const double now = heapMb();
        const auto t = std::chrono::steady_clock::now();
        std::printf("%-24s %6.1f %8.3f\n", what, now - at,
                    std::chrono::duration<double>(t - t0).count());
        at = now;
        t0 = t;
    };
    QByteArray bytes;
    file_io::readAll(path, bytes);
    step("file bytes");
    text_codec::Decoded decoded = encoding_detection::decode(bytes);
    step("decoded text");
    bytes = QByteArray();
    step("file bytes released");
    QString text = text_file::textFromFile(decoded.text);
    decoded.text = QString();
    step("text from file");
    TextBox box;
    box.resize(600, 300);
    box.show();
    QApplication::processEvents();
    at = heapMb();
    t0 = std::chrono::steady_clock::now();
    box.setText(text);
    step("box: text and lines");
    QApplication::processEvents();
    step("box: shown");
    const int lines = box.lineCount();
    text = QString();
    step("file text released");
    AnchorSearch(Module1(), box.text(), 0);
    step("search snapshot");
    box.setSelStart(int(box.textSize() / 2));
    for (int i = 0; i < 1000; ++i)
        press(&box, Qt::Key_A, u"字"_qs);
    step("undo of 1,000 keys");
    box.setSelStart(0);
    box.setSelLength(int(box.textSize()));
    box.setSelText(u"x"_qs);
    step("undo of a replaced text");
    std::printf("peak resident %.0f MB, %d lines\n", peakRssMb(), lines);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == u"make" && args.size() == 4) {
        QFile f(args[2]);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(chineseBytes(qsizetype(args[3].toDouble() * 1e6)));
        return 0;
    }
    if (mode == u"open" && args.size() == 3)
        return open(args[2]);
    if (mode == u"parts" && args.size() == 3)
        return parts(args[2]);
    if (mode == u"keys" && args.size() == 3)
        return keys(args[2].toDouble());
    std::printf("usage: bench_big_text make PATH MB | open PATH | parts PATH | keys MB\n");
    return 2;
}
