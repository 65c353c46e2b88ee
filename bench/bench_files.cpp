// Times opening (read + detect + decode + show) and saving 10 MB and 50 MB text files,
// in GBK and in UTF-8, through the main window's File commands.
#include "bench_host.h"
#include "bench_text.h"
#include "host/encoding_detection.h"
#include "host/host.h"
#include "host/text_box.h"
#include "host/text_codec.h"
#include "window/form1.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <tuple>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    bench::SilentHost host;
    host.printMessages = true;
    for (const qsizetype megabytes : {10, 50}) {
        // This mix takes about 1.7 bytes a code unit in GB18030, 2.4 in UTF-8.
        for (const auto& [name, encoding, bytesPerUnit] :
             {std::tuple{"GBK", text_codec::Encoding::Gbk, 1.7},
              std::tuple{"UTF-8", text_codec::Encoding::Utf8, 2.42}}) {
            const QString text = bench::makeText(qsizetype(double(megabytes) * 1e6 / bytesPerUnit));
            const QString path = dir.filePath(QStringLiteral("bench.txt"));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                return 1;
            const QByteArray bytes = text_codec::encode(text, encoding);
            f.write(bytes);
            f.close();

            std::vector<double> open, save, detect;
            for (int i = 0; i < 3; ++i)
                detect.push_back(bench::seconds([&] {
                    if (encoding_detection::decode(bytes).text.size() != text.size())
                        std::printf("size mismatch\n");
                }));
            for (int i = 0; i < 3; ++i) {
                Form1 form(host);
                host.nextFile = path;
                open.push_back(bench::seconds([&] { form.MuOpen_Click(); }));
                save.push_back(bench::seconds([&] { form.MuSave_Click(); }));
                if (form.Text1->text().size() != text.size())
                    std::printf("size mismatch\n");
            }
            std::printf("%-7s %6.1f MB  open median %6.3f s  save median %6.3f s"
                        "  (detect and decode alone %6.3f s)\n",
                        name, double(bytes.size()) / 1e6, bench::median(open), bench::median(save),
                        bench::median(detect));
        }
    }
    return 0;
}
