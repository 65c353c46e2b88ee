#include "cli/progress_bar.h"

#include <QString>
#include <chrono>
#include <cstdio>

namespace report_cli {

ProgressBar::ProgressBar(const corpus_count::Progress& progress)
    : m_progress(progress), m_thread([this] { loop(); }) {}

ProgressBar::~ProgressBar() {
    m_done = true;
    m_thread.join();
}

void ProgressBar::loop() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    bool shown = false;
    while (!m_done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (seconds < 1.0 || m_done)
            continue;
        const double done = double(m_progress.bytesDone.load());
        const double total = std::max(1.0, double(m_progress.bytesTotal.load()));
        const double rate = done / seconds;
        const double fraction = std::min(1.0, done / total);
        const int width = 20;
        const int filled = int(fraction * width);
        QString bar = QString(filled, u'#') + QString(width - filled, u'-');
        QString line = QStringLiteral("\r[%1] %2/%3 个文件 files  %4/%5 MiB  %6 MiB/s")
                           .arg(bar)
                           .arg(m_progress.filesDone.load())
                           .arg(m_progress.filesTotal.load())
                           .arg(done / 1048576.0, 0, 'f', 1)
                           .arg(total / 1048576.0, 0, 'f', 1)
                           .arg(rate / 1048576.0, 0, 'f', 1);
        if (rate > 0 && done < total)
            line += QStringLiteral("  剩余 left %1 s").arg(int((total - done) / rate + 0.5));
        std::fputs(line.toUtf8().constData(), stderr);
        std::fputs("\033[K", stderr);
        std::fflush(stderr);
        shown = true;
    }
    if (shown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

} // namespace report_cli
