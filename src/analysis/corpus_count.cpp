#include "analysis/corpus_count.h"

#include "analysis/byte_decoding.h"
#include "analysis/stream_preparation.h"
#include "host/chunk_reader.h"
#include "host/encoding_detection.h"
#include "host/folder_walk.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

namespace corpus_count {

using char_tally::Items;
using text_codec::Encoding;

QStringList collectFiles(const QStringList& arguments, const QStringList& patterns) {
    QStringList files;
    bool standardInput = false;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("-")) {
            // Standard input can be read once: a second reader would take
            // bytes from the first and cut characters apart.
            if (!std::exchange(standardInput, true))
                files << argument;
        } else if (folder_walk::isFolder(argument)) {
            files << folder_walk::filesUnder(argument, patterns);
        } else {
            files << argument;
        }
    }
    // One order for every run, however the files were named or split among runs.
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

// A single code point: one unit that is no surrogate, or a surrogate pair.
std::optional<char32_t> singleCharacter(const QString& s) {
    if (s.size() == 1 && !s[0].isSurrogate())
        return s[0].unicode();
    if (s.size() == 2 && s[0].isHighSurrogate() && s[1].isLowSurrogate())
        return QChar::surrogateToUcs4(s[0], s[1]);
    return std::nullopt;
}

QStringList listEntries(const preparation::Options& o) {
    if (!o.removeListed || o.ignoreList.isEmpty())
        return {};
    QStringList entries = o.ignoreList.split(u' ');
    entries.removeAll(QString());
    return entries;
}

char_tally::CountPreparation countPreparation(const preparation::Options& o) {
    char_tally::CountPreparation p;
    p.lowerCase = o.lowerCase;
    p.removeSpaces = o.removeSpaces;
    if (!o.separator.isEmpty())
        p.removeExact.push_back(*singleCharacter(o.separator));
    for (const QString& entry : listEntries(o))
        p.removeFolded.push_back(*singleCharacter(entry));
    return p;
}

bool isUtf16(Encoding e) {
    return e == Encoding::Utf16Le || e == Encoding::Utf16Be || e == Encoding::Utf16LeNoMark ||
           e == Encoding::Utf16BeNoMark;
}

bool isBigEndian(Encoding e) {
    return e == Encoding::Utf16Be || e == Encoding::Utf16BeNoMark;
}

std::size_t markLength(Encoding e, const char* p, std::size_t n) {
    const QByteArray mark = text_codec::byteOrderMark(e == Encoding::Utf8 ? Encoding::Utf8Bom : e);
    return std::size_t(mark.size()) <= n &&
                   std::memcmp(p, mark.constData(), std::size_t(mark.size())) == 0
               ? std::size_t(mark.size())
               : 0;
}

// The window's decision, made from the start of the file; a start cut short is
// cut after its last byte that no multi-byte code uses, so that no character is
// cut in two.
Encoding detect(const char* p, std::size_t n, bool whole) {
    std::size_t cut = n;
    if (!whole) {
        std::size_t i = n;
        while (i > n / 2 && static_cast<unsigned char>(p[i - 1]) >= 0x30)
            --i;
        if (i > n / 2)
            cut = i;
    }
    return encoding_detection::decode(QByteArray::fromRawData(p, qsizetype(cut))).encoding;
}

// As many well-formed multi-byte sequences as make a text without a stray
// byte UTF-8 for the window's decision.
constexpr std::uint64_t kConvincingUtf8 = 16;

struct TallySink {
    char_tally::Dense& tally;
    std::uint64_t base;
    void put(char32_t c, std::uint64_t offset) { tally.add(c, base + offset); }
};

// Prepared units into the tally, a surrogate pair as one character.
struct UnitCounter {
    char_tally::Dense& tally;
    std::uint64_t base;
    std::uint64_t position = 0;
    char16_t high = 0;
    void feed(const std::vector<char16_t>& units) {
        for (const char16_t c : units) {
            if (high) {
                if (QChar::isLowSurrogate(c)) {
                    tally.add(QChar::surrogateToUcs4(high, c), base + position - 1);
                    high = 0;
                    ++position;
                    continue;
                }
                tally.add(high, base + position - 1);
                high = 0;
            }
            if (QChar::isHighSurrogate(c))
                high = c;
            else
                tally.add(c, base + position);
            ++position;
        }
    }
    void finish() {
        if (high)
            tally.add(high, base + position - 1);
        high = 0;
    }
};

template <class Sink>
std::size_t decode(Encoding e, const char* p, std::size_t n, bool final, bool removeCrLf,
                   std::uint64_t base, Sink& sink, byte_decoding::Stats& stats) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    switch (e) {
    case Encoding::Gbk:
    case Encoding::Gb18030:
        return byte_decoding::gb(u, n, final, removeCrLf, base, sink, stats);
    case Encoding::Utf8:
    case Encoding::Utf8Bom:
        return byte_decoding::utf8(u, n, final, removeCrLf, base, sink, stats);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
    case Encoding::Utf16LeNoMark:
    case Encoding::Utf16BeNoMark:
        return byte_decoding::utf16(u, n, final, isBigEndian(e), removeCrLf, base, sink, stats);
    }
    return n;
}

struct Task {
    int file = 0;
    bool piece = false; // a part of a large file, its encoding decided beforehand
    std::uint64_t start = 0, end = 0;
    Encoding encoding = Encoding::Gbk;
};

struct TaskResult {
    Items items;
    std::uint64_t bytes = 0, invalid = 0, occurrences = 0;
    Encoding encoding = Encoding::Gbk;
    QString error;
};

class Runner {
  public:
    Runner(const QStringList& files, const Options& options, Progress* progress)
        : m_files(files), m_options(options), m_progress(progress),
          m_fast(options.substring.isEmpty() && preparesByCounts(options.preparation)) {
        if (m_fast)
            m_countPreparation = countPreparation(options.preparation);
    }

    Result run();

  private:
    void plan();
    void work();
    void retry();
    bool finish(std::size_t i, TaskResult r);
    void join(const Task& task, TaskResult& r);
    void fail(std::size_t i);
    TaskResult runTask(const Task& task, char_tally::Dense& tally, std::vector<char>& buffer);

    const QStringList& m_files;
    const Options& m_options;
    Progress* m_progress;
    bool m_fast;
    char_tally::CountPreparation m_countPreparation;
    std::vector<Task> m_tasks;
    std::vector<int> m_piecesLeft; // per file
    std::atomic<std::size_t> m_next{0};
    std::vector<std::size_t> m_retry; // tasks given back for want of memory
    std::mutex m_mutex;
    char_tally::Dense m_total;
    Result m_result;
};

int threadCount(const Options& o) {
    if (o.threads > 0)
        return o.threads;
    return std::max(1, int(std::thread::hardware_concurrency()));
}

void Runner::plan() {
    const int threads = threadCount(m_options);
    std::uint64_t totalBytes = 0;
    for (int f = 0; f < m_files.size(); ++f) {
        Task whole{f, false, 0, 0, Encoding::Gbk};
        const std::uint64_t size = m_files[f] == QLatin1String("-")
                                       ? 0
                                       : chunk_reader::regularFileSize(m_files[f]).value_or(0);
        totalBytes += size;
        if (!m_fast || threads < 2 || size < 2 * m_options.pieceBytes ||
            m_files[f] == QLatin1String("-")) {
            m_tasks.push_back(whole);
            continue;
        }
        chunk_reader::Source source;
        if (source.open(m_files[f])) {
            m_tasks.push_back(whole); // the task reports why
            continue;
        }
        std::vector<char> head(m_options.detectBytes);
        const std::int64_t got = source.readAt(head.data(), head.size(), 0);
        if (got < 0) {
            m_tasks.push_back(whole);
            continue;
        }
        const Encoding e = m_options.encoding.value_or(
            detect(head.data(), std::size_t(got), std::uint64_t(got) == source.size()));
        if (isUtf16(e)) {
            m_tasks.push_back(whole);
            continue;
        }
        // Pieces end after an LF, which no multi-byte code of UTF-8 or GB18030
        // contains: no character and no CR LF pair is cut.
        std::uint64_t start = markLength(e, head.data(), std::size_t(got));
        std::vector<char> probe(std::size_t(1) << 20);
        for (std::uint64_t nominal = start + m_options.pieceBytes; nominal < size;
             nominal += m_options.pieceBytes) {
            const std::int64_t n = source.readAt(probe.data(), probe.size(), nominal);
            const void* lf = n > 0 ? std::memchr(probe.data(), '\n', std::size_t(n)) : nullptr;
            if (!lf)
                continue;
            const std::uint64_t end =
                nominal + std::uint64_t(static_cast<const char*>(lf) - probe.data()) + 1;
            if (end >= size)
                break;
            m_tasks.push_back({f, true, start, end, e});
            start = end;
        }
        m_tasks.push_back({f, true, start, size, e});
    }
    if (m_progress) {
        m_progress->bytesTotal = totalBytes;
        m_progress->filesTotal = int(m_files.size());
    }
}

TaskResult Runner::runTask(const Task& task, char_tally::Dense& tally, std::vector<char>& buffer) {
    TaskResult r;
    chunk_reader::Source source;
    if (const auto error = source.open(m_files[task.file])) {
        r.error = error->reason;
        return r;
    }
    const bool removeCrLf = m_fast && m_options.preparation.removeLineBreaks;
    const std::uint64_t base = char_tally::keyOf(std::uint64_t(task.file), 0);
    const std::size_t chunk = std::max<std::size_t>(m_options.chunkBytes, 1);
    buffer.resize(std::max({chunk, m_options.detectBytes, std::size_t(4)}) + 8);

    std::uint64_t offset = task.start; // of buffer[0] in the file
    std::size_t have = 0;              // bytes in the buffer
    bool atEnd = false;
    auto fill = [&](std::size_t want) -> bool {
        const std::size_t room = std::min(want, buffer.size() - have);
        std::int64_t got;
        if (task.piece) {
            const std::uint64_t left = task.end - (offset + have);
            got = source.readAt(buffer.data() + have, std::min<std::uint64_t>(room, left),
                                offset + have);
        } else {
            got = source.read(buffer.data() + have, room);
        }
        if (got < 0) {
            r.error = source.lastError().reason;
            return false;
        }
        have += std::size_t(got);
        r.bytes += std::uint64_t(got);
        atEnd = std::size_t(got) < room || (task.piece && offset + have == task.end);
        if (m_progress)
            m_progress->bytesDone += std::uint64_t(got);
        return true;
    };

    Encoding e = task.encoding;
    std::size_t pos = 0;
    byte_decoding::Stats stats;
    if (!task.piece) {
        if (!fill(std::max<std::size_t>(m_options.detectBytes, 4)))
            return r;
        if (m_options.encoding) {
            e = *m_options.encoding;
        } else if (m_fast && atEnd && !markLength(Encoding::Utf8, buffer.data(), have) &&
                   !markLength(Encoding::Utf16Le, buffer.data(), have) &&
                   !markLength(Encoding::Utf16Be, buffer.data(), have)) {
            // A whole small file: counted as UTF-8 in the same pass that
            // collects the evidence. Well-formed throughout, with enough
            // multi-byte sequences, it is UTF-8 for the window too (a test
            // holds the two together); otherwise the window's decision is
            // made and the file counted afresh.
            TallySink sink{tally, base};
            decode(Encoding::Utf8, buffer.data(), have, true, removeCrLf, 0, sink, stats);
            // A NUL byte may make it UTF-16 for the window: decided below.
            if (stats.invalid == 0 && stats.multiByte >= kConvincingUtf8 &&
                !std::memchr(buffer.data(), 0, have)) {
                r.encoding = Encoding::Utf8;
                r.items = tally.take();
                return r;
            }
            tally.take();
            stats = {};
            e = detect(buffer.data(), have, atEnd);
        } else {
            e = detect(buffer.data(), have, atEnd);
        }
        pos = markLength(e, buffer.data(), have);
    }
    r.encoding = e;

    std::vector<char16_t> units, prepared;
    std::optional<stream_preparation::Preparer> preparer;
    std::optional<stream_preparation::OccurrenceCounter> occurrences;
    if (!m_options.substring.isEmpty())
        occurrences.emplace(m_options.substring);
    else if (!m_fast)
        preparer.emplace(m_options.preparation);
    TallySink tallySink{tally, base};
    byte_decoding::Utf16Sink unitSink{units};
    UnitCounter counter{tally, base};
    for (bool first = true;; first = false) {
        if (!first && !atEnd && !fill(chunk))
            return r;
        const char* p = buffer.data() + pos;
        const std::size_t n = have - pos;
        std::size_t used;
        if (m_fast) {
            used = decode(e, p, n, atEnd, removeCrLf, offset + pos, tallySink, stats);
        } else {
            units.clear();
            used = decode(e, p, n, atEnd, false, 0, unitSink, stats);
            if (occurrences) {
                occurrences->feed(units.data(), qsizetype(units.size()));
            } else {
                prepared.clear();
                preparer->feed(QStringView(units.data(), qsizetype(units.size())), atEnd, prepared);
                counter.feed(prepared);
            }
        }
        // Keep what the decoder left for the next chunk at the front.
        const std::size_t rest = n - used;
        std::memmove(buffer.data(), p + used, rest);
        offset += pos + used;
        have = rest;
        pos = 0;
        if (atEnd)
            break;
    }
    counter.finish();
    r.invalid = stats.invalid;
    if (occurrences)
        r.occurrences = occurrences->count();
    r.items = tally.take();
    return r;
}

const QString kNoMemory = QStringLiteral("内存不足 / out of memory");

// A thread that runs out of memory gives its task back and stops; what was
// given back, or taken by no thread, is read again on one thread at the end.
void Runner::work() {
    std::optional<char_tally::Dense> tally;
    std::vector<char> buffer;
    try {
        tally.emplace();
    } catch (const std::bad_alloc&) {
        return;
    }
    for (;;) {
        const std::size_t i = m_next++;
        if (i >= m_tasks.size())
            return;
        TaskResult r;
        try {
            r = runTask(m_tasks[i], *tally, buffer);
            tally->take(); // left over after an error
        } catch (const std::bad_alloc&) {
            // Standard input cannot be read again from its start.
            if (m_files[m_tasks[i].file] == QLatin1String("-")) {
                fail(i);
            } else {
                const std::lock_guard lock(m_mutex);
                m_retry.push_back(i);
            }
            return;
        }
        if (!finish(i, std::move(r)))
            return;
    }
}

void Runner::retry() {
    std::vector<std::size_t> tasks = std::move(m_retry);
    for (std::size_t i = m_next; i < m_tasks.size(); ++i)
        tasks.push_back(i);
    std::sort(tasks.begin(), tasks.end());
    std::size_t done = 0;
    try {
        char_tally::Dense tally;
        std::vector<char> buffer;
        for (; done < tasks.size(); ++done) {
            TaskResult r = runTask(m_tasks[tasks[done]], tally, buffer);
            tally.take();
            finish(tasks[done], std::move(r));
        }
    } catch (const std::bad_alloc&) {
    }
    for (; done < tasks.size(); ++done)
        fail(tasks[done]);
}

void Runner::fail(std::size_t i) {
    const std::lock_guard lock(m_mutex);
    m_result.files[std::size_t(m_tasks[i].file)].error = kNoMemory;
}

// False when the result could not be joined for want of memory: the file is
// then named as unreadable.
bool Runner::finish(std::size_t i, TaskResult r) {
    try {
        join(m_tasks[i], r);
        return true;
    } catch (const std::bad_alloc&) {
        fail(i);
        return false;
    }
}

void Runner::join(const Task& task, TaskResult& r) {
    const std::lock_guard lock(m_mutex);
    FileResult& file = m_result.files[std::size_t(task.file)];
    if (!r.error.isEmpty() && file.error.isEmpty())
        file.error = r.error;
    file.bytes += r.bytes;
    file.invalid += r.invalid;
    file.occurrences += r.occurrences;
    file.encoding = r.encoding;
    m_result.occurrences += r.occurrences;
    if (!task.piece) {
        if (r.error.isEmpty())
            for (const char_tally::Item& item : r.items)
                m_total.addItem(item);
        if (m_options.perFile)
            file.items = std::move(r.items);
    } else {
        // A large file joins the total only when all its pieces were read.
        char_tally::mergeInto(file.items, r.items);
        if (--m_piecesLeft[std::size_t(task.file)] > 0)
            return;
        if (file.error.isEmpty())
            for (const char_tally::Item& item : file.items)
                m_total.addItem(item);
        if (!m_options.perFile)
            file.items.clear();
    }
    if (m_progress)
        ++m_progress->filesDone;
}

Result Runner::run() {
    m_result.files.resize(std::size_t(m_files.size()));
    for (int f = 0; f < m_files.size(); ++f)
        m_result.files[std::size_t(f)].path = m_files[f];
    plan();
    m_piecesLeft.assign(m_result.files.size(), 0);
    for (const Task& task : m_tasks)
        m_piecesLeft[std::size_t(task.file)] += task.piece;
    const int threads =
        std::min<int>(threadCount(m_options), int(std::max<std::size_t>(1, m_tasks.size())));
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) {
        try {
            pool.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break; // no room for another thread (ulimit -v): fewer do the work
        }
    }
    work();
    for (std::thread& t : pool)
        t.join();
    retry();
    m_result.items = m_total.take();
    if (!m_fast)
        return std::move(m_result);
    // The preparation that the decoding did not do, on the counts.
    m_result.items = char_tally::prepared(m_result.items, m_countPreparation);
    for (FileResult& file : m_result.files)
        file.items = char_tally::prepared(file.items, m_countPreparation);
    return std::move(m_result);
}

} // namespace

bool preparesByCounts(const preparation::Options& options) {
    if (!options.separator.isEmpty() && !singleCharacter(options.separator))
        return false;
    for (const QString& entry : listEntries(options))
        if (!singleCharacter(entry))
            return false;
    return true;
}

Result count(const QStringList& files, const Options& options, Progress* progress) {
    Runner runner(files, options, progress);
    return runner.run();
}

QString describe(const Options& o) {
    const auto hex = [](const QString& s) {
        return s.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(s.toUtf8().toHex());
    };
    const preparation::Options& p = o.preparation;
    QString mode = o.substring.isEmpty() ? QStringLiteral("frequency")
                                         : QStringLiteral("count:") + hex(o.substring);
    QString encoding = QStringLiteral("auto");
    if (o.encoding)
        encoding = QString::number(int(*o.encoding));
    return QStringLiteral("%1 lower=%2 crlf=%3 spaces=%4 separator=%5 list=%6 encoding=%7")
        .arg(mode)
        .arg(int(p.lowerCase))
        .arg(int(p.removeLineBreaks))
        .arg(int(p.removeSpaces))
        .arg(hex(p.separator))
        .arg(p.removeListed ? hex(p.ignoreList) : QStringLiteral("-"))
        .arg(encoding);
}

} // namespace corpus_count
