// Times the frequency report: (a) tally + report on 1 M, 10 M and 100 M code
// units; (b) the whole count command through the main window (input box ->
// options -> tally -> output box). With --file PATH it times (a) on a UTF-8 file;
// with --generate N PATH it writes the benchmark text to PATH as UTF-8.
#include "analysis/frequency_report.h"
#include "bench_host.h"
#include "bench_text.h"
#include "host/host.h"
#include "host/text_box.h"
#include "window/form1.h"

#include <QApplication>
#include <QFile>
#include <cstdio>

namespace {

void timeReport(const QString& text, int runs) {
    std::vector<double> t;
    qsizetype size = 0;
    for (int i = 0; i < runs; ++i)
        t.push_back(bench::seconds(
            [&] { size = frequency::report(text, frequency::Order::ByCountDescending).size(); }));
    const double m = bench::median(t);
    std::printf(
        "tally+report  %11lld units  median %8.4f s  %8.0f M units/s  (report %lld units)\n",
        (long long)text.size(), m, double(text.size()) / m / 1e6, (long long)size);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && QByteArray(argv[1]) == "--generate") {
        QFile f(QString::fromLocal8Bit(argv[3]));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(bench::makeText(QByteArray(argv[2]).toLongLong()).toUtf8());
        return 0;
    }
    if (argc == 3 && QByteArray(argv[1]) == "--file") {
        QFile f(QString::fromLocal8Bit(argv[2]));
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        timeReport(QString::fromUtf8(f.readAll()), 5);
        return 0;
    }

    for (const qsizetype n : {qsizetype(1'000'000), qsizetype(10'000'000), qsizetype(100'000'000)})
        timeReport(bench::makeText(n), n >= 100'000'000 ? 5 : 9);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::SilentHost host;
    for (const qsizetype n : {qsizetype(1'000'000), qsizetype(10'000'000)}) {
        Form1 form(host);
        const QString text = bench::makeText(n);
        form.Text1->setText(text);
        std::vector<double> t;
        for (int i = 0; i < 5; ++i)
            t.push_back(bench::seconds([&] { form.Command6_Click(); }));
        std::printf("count command %11lld units  median %8.4f s  (output %lld units)\n",
                    (long long)n, bench::median(t), (long long)form.Text2->text().size());
        form.InputChanged = false;
    }
    return 0;
}
