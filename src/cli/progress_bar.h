#pragma once

#include "analysis/corpus_count.h"

#include <atomic>
#include <thread>

// A progress line on standard error (files and bytes done, rate, time left),
// shown only on a terminal and only for runs longer than about a second.
namespace report_cli {

class ProgressBar {
  public:
    explicit ProgressBar(const corpus_count::Progress& progress);
    ~ProgressBar(); // stops and clears the line

  private:
    void loop();
    const corpus_count::Progress& m_progress;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace report_cli
