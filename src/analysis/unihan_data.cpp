#include "analysis/unihan_data.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <bzlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <functional>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace unihan {

namespace {

struct Range {
    char32_t first, last;
};
// In code point order; slots are numbered through them.
constexpr std::array<Range, 7> kHanziRanges{{
    {0x3400, 0x4DBF},   // extension A
    {0x4E00, 0x9FFF},   // unified ideographs
    {0xF900, 0xFAFF},   // compatibility ideographs
    {0x20000, 0x2A6DF}, // extension B
    {0x2A700, 0x2EE5F}, // extensions C, D, E, F, I
    {0x2F800, 0x2FA1F}, // compatibility ideographs supplement
    {0x30000, 0x323AF}, // extensions G, H
}};

constexpr std::size_t kSlotCount = [] {
    std::size_t n = 0;
    for (const Range& r : kHanziRanges)
        n += r.last - r.first + 1;
    return n;
}();

constexpr std::size_t kGbWords = (kSlotCount + 63) / 64;

// The record of a hanzi; -1 for anything else.
std::ptrdiff_t slotOf(char32_t cp) {
    std::size_t base = 0;
    for (const Range& r : kHanziRanges) {
        if (cp < r.first)
            return -1;
        if (cp <= r.last)
            return std::ptrdiff_t(base + (cp - r.first));
        base += r.last - r.first + 1;
    }
    return -1;
}

const QStringList kSourceNames{u"Unihan_Readings"_s, u"Unihan_OtherMappings"_s,
                               u"Unihan_IRGSources"_s};

// What one file holds of the fields we keep, merged once every file is read.
struct Fields {
    struct Text {
        std::uint32_t slot, offset, size;
    };
    std::string arena; // the reading values, back to back
    std::vector<Text> mandarin, tghz;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> tgh;
    std::vector<std::pair<std::uint32_t, std::uint8_t>> strokes;
    std::vector<std::uint32_t> gb0;
    QString error;
};

constexpr qsizetype kChunk = qsizetype(1) << 20;
// No Unihan line comes near this; a longer one is not Unihan data.
constexpr std::size_t kMaxLine = std::size_t(1) << 16;

using Sink = std::function<bool(std::string_view)>; // false: stop reading

QString readPlain(const QString& path, const Sink& sink) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return u"%1: %2"_s.arg(QDir::toNativeSeparators(path), file.errorString());
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(buffer.data(), buffer.size());
        if (n < 0)
            return u"%1: %2"_s.arg(QDir::toNativeSeparators(path), file.errorString());
        if (n == 0)
            return {};
        if (!sink(std::string_view(buffer.constData(), std::size_t(n))))
            return {};
    }
}

// Owns a decompression stream; a file may hold several streams back to back.
class Bz2Stream {
  public:
    Bz2Stream() = default;
    Bz2Stream(const Bz2Stream&) = delete;
    Bz2Stream& operator=(const Bz2Stream&) = delete;
    ~Bz2Stream() { end(); }
    bool begin() {
        end();
        std::memset(&s_, 0, sizeof s_);
        open_ = BZ2_bzDecompressInit(&s_, 0, 0) == BZ_OK;
        return open_;
    }
    void end() {
        if (open_)
            BZ2_bzDecompressEnd(&s_);
        open_ = false;
    }
    bz_stream* operator->() { return &s_; }
    bz_stream* get() { return &s_; }

  private:
    bz_stream s_{};
    bool open_ = false;
};

QString readBzip2(const QString& path, const Sink& sink) {
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return u"%1: %2"_s.arg(name, file.errorString());
    const QString damaged = u"%1: the compressed data is damaged or cut short"_s.arg(name);
    QByteArray in(kChunk / 4, Qt::Uninitialized);
    QByteArray out(kChunk, Qt::Uninitialized);
    Bz2Stream stream;
    if (!stream.begin())
        return u"%1: not enough memory to decompress"_s.arg(name);
    bool atEnd = false;
    bool inStream = false; // some of the current stream has been read
    for (;;) {
        if (stream->avail_in == 0 && !atEnd) {
            const qint64 n = file.read(in.data(), in.size());
            if (n < 0)
                return u"%1: %2"_s.arg(name, file.errorString());
            atEnd = n == 0;
            stream->next_in = in.data();
            stream->avail_in = unsigned(n);
        }
        if (stream->avail_in == 0 && atEnd)
            return inStream ? damaged : QString();
        stream->next_out = out.data();
        stream->avail_out = unsigned(out.size());
        const int rc = BZ2_bzDecompress(stream.get());
        if (rc != BZ_OK && rc != BZ_STREAM_END)
            return rc == BZ_MEM_ERROR ? u"%1: not enough memory to decompress"_s.arg(name)
                                      : damaged;
        inStream = true;
        const std::size_t produced = std::size_t(out.size()) - stream->avail_out;
        if (produced && !sink(std::string_view(out.constData(), produced)))
            return {};
        if (rc == BZ_STREAM_END) {
            // Another stream may follow, as bzip2 itself allows.
            char* const rest = stream->next_in;
            const unsigned restSize = stream->avail_in;
            if (!stream.begin())
                return u"%1: not enough memory to decompress"_s.arg(name);
            stream->next_in = rest;
            stream->avail_in = restSize;
            inStream = false;
        }
    }
}

std::string_view firstToken(std::string_view s) {
    return s.substr(0, s.find(' '));
}

template <typename T> bool parseNumber(std::string_view s, T& value, int base = 10) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

// Splits the bytes into lines and keeps the fields we need.
class LineParser {
  public:
    LineParser(const QString& path, Fields& out)
        : path_(QDir::toNativeSeparators(path)), out_(out) {}

    bool feed(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t nl = bytes.find('\n');
            const std::string_view piece = bytes.substr(0, nl);
            if (carry_.size() + piece.size() > kMaxLine)
                return fail(u"a line longer than %1 bytes: not Unihan data"_s.arg(kMaxLine));
            if (nl == std::string_view::npos) {
                carry_.append(piece);
                return true;
            }
            bool ok;
            if (carry_.empty()) {
                ok = line(piece);
            } else {
                carry_.append(piece);
                ok = line(carry_);
                carry_.clear();
            }
            if (!ok)
                return false;
            bytes.remove_prefix(nl + 1);
        }
        return true;
    }
    bool finish() { return carry_.empty() || line(carry_); }

  private:
    bool fail(const QString& why) {
        out_.error = u"%1:%2: %3"_s.arg(path_).arg(lineNo_).arg(why);
        return false;
    }

    bool line(std::string_view s) {
        ++lineNo_;
        if (!s.empty() && s.back() == '\r')
            s.remove_suffix(1);
        if (s.empty() || s.front() == '#')
            return true;
        const std::size_t tab1 = s.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : s.find('\t', tab1 + 1);
        std::uint32_t cp = 0;
        if (tab2 == std::string_view::npos || !s.starts_with("U+") || tab1 < 6 || tab1 > 8 ||
            !parseNumber(s.substr(2, tab1 - 2), cp, 16) || cp > 0x10FFFF)
            return fail(u"not a line of the Unihan database"_s);
        const std::string_view field = s.substr(tab1 + 1, tab2 - tab1 - 1);
        const std::string_view value = s.substr(tab2 + 1);
        const std::ptrdiff_t slot = slotOf(char32_t(cp));
        if (slot < 0)
            return true;
        const auto slot32 = std::uint32_t(slot);
        if (field == "kMandarin" || field == "kTGHZ2013") {
            if (value.empty())
                return fail(u"an empty reading"_s);
            auto& list = field == "kMandarin" ? out_.mandarin : out_.tghz;
            list.push_back({slot32, std::uint32_t(out_.arena.size()), std::uint32_t(value.size())});
            out_.arena.append(value);
        } else if (field == "kTGH") {
            // "2013:1155"
            const std::string_view entry = firstToken(value);
            int index = 0;
            if (!entry.starts_with("2013:") || !parseNumber(entry.substr(5), index) || index < 1 ||
                index > kListSize)
                return fail(u"not a list index from 1 to %1"_s.arg(kListSize));
            out_.tgh.emplace_back(slot32, std::uint16_t(index));
        } else if (field == "kTotalStrokes") {
            // "8", or "8 9" when the form used elsewhere differs: the first is the mainland's.
            int strokes = 0;
            if (!parseNumber(firstToken(value), strokes) || strokes < 1 || strokes > 255)
                return fail(u"not a stroke count"_s);
            out_.strokes.emplace_back(slot32, std::uint8_t(strokes));
        } else if (field == "kGB0") {
            out_.gb0.push_back(slot32);
        }
        return true;
    }

    QString path_;
    Fields& out_;
    std::string carry_;
    qint64 lineNo_ = 0;
};

struct Source {
    QString path;
    bool compressed = false;
};

const QString kNoMemory = u"not enough memory to read the Unihan data"_s;

void readSource(const Source& source, Fields& out) {
    // On a thread of its own, where an exception would end the program.
    try {
        LineParser parser(source.path, out);
        const Sink sink = [&](std::string_view bytes) { return parser.feed(bytes); };
        const QString error =
            source.compressed ? readBzip2(source.path, sink) : readPlain(source.path, sink);
        if (!error.isEmpty())
            out.error = error;
        else if (out.error.isEmpty())
            parser.finish();
    } catch (const std::bad_alloc&) {
        out = Fields(); // frees what was read
        out.error = kNoMemory;
    }
}

// The file of that name, compressed or not; a name that is not a regular file
// (a folder, a FIFO, a device) in *odd, since reading it could block or never end.
std::optional<Source> findSource(const QDir& dir, const QString& baseName, QString* odd) {
    for (const bool compressed : {true, false}) {
        const QFileInfo info(dir.filePath(baseName + (compressed ? u".txt.bz2"_s : u".txt"_s)));
        if (info.isFile())
            return Source{info.filePath(), compressed};
        if (info.exists() && odd->isEmpty())
            *odd = QDir::toNativeSeparators(info.filePath());
    }
    return std::nullopt;
}

// Reads the files on threads of their own: decompressing dominates.
std::vector<Fields> readSources(const std::vector<Source>& sources) {
    std::vector<Fields> parts(sources.size());
    std::vector<std::jthread> threads;
    for (std::size_t i = 1; i < sources.size(); ++i) {
        try {
            threads.emplace_back([&, i] { readSource(sources[i], parts[i]); });
        } catch (const std::system_error&) {
            // No thread to be had (limits on processes or memory): read it here.
            readSource(sources[i], parts[i]);
        }
    }
    if (!sources.empty())
        readSource(sources[0], parts[0]);
    threads.clear(); // joins
    return parts;
}

std::uint64_t checksum(QByteArrayView bytes) {
    // FNV-1a, 64 bits, eight bytes at a time folded in as one word.
    std::uint64_t h = 14695981039346656037ull;
    const char* p = bytes.data();
    qsizetype n = bytes.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 1099511628211ull;
    }
    for (; n > 0; ++p, --n)
        h = (h ^ std::uint8_t(*p)) * 1099511628211ull;
    return h;
}

template <typename T> void put(QByteArray& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}
template <typename T> void putVector(QByteArray& out, const std::vector<T>& v) {
    out.append(reinterpret_cast<const char*>(v.data()), qsizetype(v.size() * sizeof(T)));
}

// Reads from a byte view, refusing to run past its end.
class Reader {
  public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}
    template <typename T> bool get(T& value) { return take(&value, sizeof value); }
    template <typename T> bool getVector(std::vector<T>& v, std::size_t n) {
        v.resize(n);
        return take(v.data(), n * sizeof(T));
    }
    bool getBytes(QByteArrayView& view, std::size_t n) {
        if (n > std::size_t(bytes_.size() - pos_))
            return false;
        view = bytes_.sliced(pos_, qsizetype(n));
        pos_ += qsizetype(n);
        return true;
    }
    bool atEnd() const { return pos_ == bytes_.size(); }

  private:
    bool take(void* to, std::size_t n) {
        if (n > std::size_t(bytes_.size() - pos_))
            return false;
        std::memcpy(to, bytes_.data() + pos_, n);
        pos_ += qsizetype(n);
        return true;
    }
    QByteArrayView bytes_;
    qsizetype pos_ = 0;
};

constexpr std::uint32_t kFormat = 1;

} // namespace

class TableBuilder {
  public:
    static std::optional<Table> build(const std::vector<Fields>& parts) {
        Table t;
        t.readingId_.assign(kSlotCount, 0);
        t.listIndex_.assign(kSlotCount, 0);
        t.strokes_.assign(kSlotCount, 0);
        t.gb0_.assign(kGbWords, 0);
        t.readings_.assign(1, QString());
        std::vector<std::string_view> customary(kSlotCount), listed(kSlotCount);
        for (const Fields& f : parts) {
            for (const auto& [slot, index] : f.tgh) {
                t.listed_ += t.listIndex_[slot] == 0;
                t.listIndex_[slot] = index;
            }
            for (const auto& [slot, strokes] : f.strokes)
                t.strokes_[slot] = strokes;
            for (const std::uint32_t slot : f.gb0)
                t.gb0_[slot / 64] |= std::uint64_t(1) << (slot % 64);
            const std::string_view arena = f.arena;
            for (const Fields::Text& m : f.mandarin)
                customary[m.slot] = arena.substr(m.offset, m.size);
            for (const Fields::Text& m : f.tghz)
                listed[m.slot] = arena.substr(m.offset, m.size);
        }
        // The customary reading, then the list's others in its order: 行 "xíng háng héng".
        std::unordered_map<std::string, std::uint16_t> ids;
        std::string text;
        std::vector<std::string_view> seen;
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            if (customary[slot].empty() && listed[slot].empty())
                continue;
            text.clear();
            seen.clear();
            auto addReading = [&](std::string_view r) {
                if (r.empty() || std::find(seen.begin(), seen.end(), r) != seen.end())
                    return;
                seen.push_back(r);
                if (!text.empty())
                    text += ' ';
                text.append(r);
            };
            addReading(firstToken(customary[slot]));
            std::string_view rest = listed[slot];
            while (!rest.empty()) {
                // "069.080:de 070.170:dī": the reading follows the page and position.
                const std::string_view entry = firstToken(rest);
                rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
                const std::size_t colon = entry.rfind(':');
                addReading(colon == std::string_view::npos ? entry : entry.substr(colon + 1));
            }
            if (text.empty())
                continue;
            auto [it, added] = ids.try_emplace(text, std::uint16_t(t.readings_.size()));
            if (added) {
                if (t.readings_.size() == 0xFFFF)
                    return std::nullopt;
                t.readings_.push_back(QString::fromUtf8(text));
            }
            t.readingId_[slot] = it->second;
        }
        return t;
    }
};

bool isHanzi(char32_t cp) {
    return slotOf(cp) >= 0;
}

Level levelOfIndex(int listIndex) {
    if (listIndex < 1 || listIndex > kListSize)
        return Level::Outside;
    if (listIndex <= 3500)
        return Level::First;
    return listIndex <= 6500 ? Level::Second : Level::Third;
}

QString levelName(Level level) {
    switch (level) {
    case Level::First:
        return u"一级"_s;
    case Level::Second:
        return u"二级"_s;
    case Level::Third:
        return u"三级"_s;
    case Level::Outside:
        return u"表外"_s;
    case Level::NotHanzi:
        break;
    }
    return {};
}

int Table::listIndex(char32_t cp) const {
    const std::ptrdiff_t slot = slotOf(cp);
    return slot < 0 || listIndex_.empty() ? 0 : listIndex_[std::size_t(slot)];
}

Level Table::level(char32_t cp) const {
    return isHanzi(cp) ? levelOfIndex(listIndex(cp)) : Level::NotHanzi;
}

QString Table::pinyin(char32_t cp) const {
    const std::ptrdiff_t slot = slotOf(cp);
    return slot < 0 || readingId_.empty() ? QString() : readings_[readingId_[std::size_t(slot)]];
}

int Table::strokes(char32_t cp) const {
    const std::ptrdiff_t slot = slotOf(cp);
    return slot < 0 || strokes_.empty() ? 0 : strokes_[std::size_t(slot)];
}

bool Table::inGb2312(char32_t cp) const {
    const std::ptrdiff_t slot = slotOf(cp);
    return slot >= 0 && !gb0_.empty() && (gb0_[std::size_t(slot) / 64] >> (slot % 64) & 1);
}

std::size_t Table::byteSize() const {
    std::size_t n = readingId_.size() * 2 + listIndex_.size() * 2 + strokes_.size() +
                    gb0_.size() * 8 + readings_.size() * sizeof(QString);
    for (const QString& r : readings_)
        n += std::size_t(r.size()) * 2;
    return n;
}

QByteArray Table::serialize() const {
    QByteArray readings;
    for (std::size_t i = 1; i < readings_.size(); ++i) {
        readings += readings_[i].toUtf8();
        readings += '\n';
    }
    QByteArray out;
    put(out, kFormat);
    put(out, std::uint32_t(readingId_.size()));
    put(out, std::uint32_t(listed_));
    put(out, std::uint32_t(readings_.size()));
    put(out, std::uint32_t(readings.size()));
    out += readings;
    putVector(out, readingId_);
    putVector(out, listIndex_);
    putVector(out, strokes_);
    putVector(out, gb0_);
    put(out, checksum(out));
    return out;
}

std::optional<Table> Table::deserialize(QByteArrayView bytes) {
    if (bytes.size() < qsizetype(sizeof(std::uint64_t)))
        return std::nullopt;
    const QByteArrayView body = bytes.first(bytes.size() - qsizetype(sizeof(std::uint64_t)));
    std::uint64_t sum = 0;
    std::memcpy(&sum, bytes.data() + body.size(), sizeof sum);
    if (sum != checksum(body))
        return std::nullopt;
    Reader in(body);
    std::uint32_t format = 0, slotCount = 0, listed = 0, readingCount = 0, readingBytes = 0;
    QByteArrayView readings;
    Table t;
    if (!in.get(format) || format != kFormat || !in.get(slotCount) || slotCount != kSlotCount ||
        !in.get(listed) || !in.get(readingCount) || readingCount == 0 || readingCount > 0xFFFF ||
        !in.get(readingBytes) || !in.getBytes(readings, readingBytes) ||
        !in.getVector(t.readingId_, slotCount) || !in.getVector(t.listIndex_, slotCount) ||
        !in.getVector(t.strokes_, slotCount) || !in.getVector(t.gb0_, kGbWords) || !in.atEnd())
        return std::nullopt;
    t.readings_.reserve(readingCount);
    t.readings_.emplace_back();
    while (!readings.isEmpty()) {
        const qsizetype nl = readings.indexOf('\n');
        if (nl < 0)
            return std::nullopt;
        t.readings_.push_back(QString::fromUtf8(readings.first(nl)));
        readings = readings.sliced(nl + 1);
    }
    if (t.readings_.size() != readingCount)
        return std::nullopt;
    int counted = 0;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        if (t.readingId_[slot] >= readingCount || t.listIndex_[slot] > kListSize)
            return std::nullopt;
        counted += t.listIndex_[slot] != 0;
    }
    if (std::uint32_t(counted) != listed)
        return std::nullopt;
    t.listed_ = counted;
    return t;
}

QString defaultDirectory() {
    return u"/usr/share/unicode"_s;
}

QString defaultCacheDirectory() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return base.isEmpty() ? QString() : base + u"/quillet"_s;
}

namespace {

// Names every Unihan file of the folder with its size and time: a change to
// any of them makes a kept copy stale.
QByteArray sourceStamp(const QDir& dir) {
    QByteArray stamp = "quillet unihan " + QByteArray::number(kFormat) + '\n' +
                       dir.canonicalPath().toUtf8() + '\n';
    const QFileInfoList files =
        dir.entryInfoList({u"Unihan_*"_s}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& f : files)
        stamp += f.fileName().toUtf8() + ' ' + QByteArray::number(f.size()) + ' ' +
                 QByteArray::number(f.lastModified().toMSecsSinceEpoch()) + '\n';
    return stamp + '\0';
}

QString cachePath(const QString& cacheDir, const QDir& dir) {
    const QByteArray key =
        QCryptographicHash::hash(dir.canonicalPath().toUtf8(), QCryptographicHash::Sha1);
    return QDir(cacheDir).filePath(
        u"unihan-%1.bin"_s.arg(QString::fromLatin1(key.toHex().left(16))));
}

std::optional<Table> readCache(const QString& path, const QByteArray& stamp) {
    constexpr qint64 kMaxCache = 16 << 20;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxCache)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(info.size()); // no more than was checked
    if (!bytes.startsWith(stamp))
        return std::nullopt;
    return Table::deserialize(QByteArrayView(bytes).sliced(stamp.size()));
}

void writeCache(const QString& path, const QByteArray& stamp, const Table& table) {
    // A copy that cannot be written only costs the next run the decompression.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(stamp);
    file.write(table.serialize());
    file.commit();
}

} // namespace

namespace {

LoadResult loadTable(const QString& dirName, const QString& cacheDir) {
    LoadResult result;
    const QString shown = QDir::toNativeSeparators(dirName);
    const QFileInfo dirInfo(dirName);
    if (!dirInfo.isDir()) {
        result.error = u"Unihan data not found: %1 is not a folder"_s.arg(shown);
        return result;
    }
    const QDir dir(dirName);
    std::vector<Source> sources;
    for (const QString& name : kSourceNames) {
        QString odd;
        const std::optional<Source> source = findSource(dir, name, &odd);
        if (!source && !odd.isEmpty()) {
            result.error = u"Unihan data unreadable: %1 is not a regular file"_s.arg(odd);
            return result;
        }
        if (!source) {
            result.error = u"Unihan data not found: no %1.txt.bz2 or %1.txt in %2 "
                           u"(the package unicode-data installs them)"_s.arg(name, shown);
            return result;
        }
        sources.push_back(*source);
    }

    const QByteArray stamp = sourceStamp(dir);
    const QString cache = cacheDir.isEmpty() ? QString() : cachePath(cacheDir, dir);
    if (!cache.isEmpty()) {
        if (std::optional<Table> table = readCache(cache, stamp)) {
            result.table = std::move(table);
            result.fromCache = true;
            return result;
        }
    }

    std::vector<Fields> parts = readSources(sources);
    auto failed = [&] {
        for (const Fields& f : parts) {
            if (!f.error.isEmpty()) {
                result.error = u"Unihan data unreadable: "_s + f.error;
                return true;
            }
        }
        return false;
    };
    if (failed())
        return result;
    auto has = [&](auto member) {
        return std::any_of(parts.begin(), parts.end(),
                           [&](const Fields& f) { return !(f.*member).empty(); });
    };
    auto complete = [&] {
        return has(&Fields::tgh) && has(&Fields::mandarin) && has(&Fields::strokes);
    };
    if (!complete()) {
        // Another Unicode version may keep a field in another file.
        std::vector<Source> others;
        const QStringList names =
            dir.entryList({u"Unihan_*.txt"_s, u"Unihan_*.txt.bz2"_s}, QDir::Files, QDir::Name);
        for (const QString& fileName : names) {
            const QString path = dir.filePath(fileName);
            if (std::none_of(sources.begin(), sources.end(),
                             [&](const Source& s) { return s.path == path; }))
                others.push_back({path, fileName.endsWith(u".bz2"_s)});
        }
        std::vector<Fields> more = readSources(others);
        std::move(more.begin(), more.end(), std::back_inserter(parts));
        if (failed())
            return result;
    }
    for (const auto& [field, present] :
         {std::pair{"kTGH", has(&Fields::tgh)}, std::pair{"kMandarin", has(&Fields::mandarin)},
          std::pair{"kTotalStrokes", has(&Fields::strokes)}}) {
        if (!present) {
            result.error = u"Unihan data incomplete: no %1 field in the Unihan files of %2"_s.arg(
                QString::fromLatin1(field), shown);
            return result;
        }
    }
    result.table = TableBuilder::build(parts);
    if (!result.table) {
        result.error = u"Unihan data unreadable: too many distinct readings in %1"_s.arg(shown);
        return result;
    }
    if (!cache.isEmpty())
        writeCache(cache, stamp, *result.table);
    return result;
}

} // namespace

LoadResult load(const QString& dir, const QString& cacheDir) {
    try {
        return loadTable(dir, cacheDir);
    } catch (const std::bad_alloc&) {
        LoadResult result;
        result.error = u"Unihan data unreadable: "_s + kNoMemory;
        return result;
    }
}

} // namespace unihan
