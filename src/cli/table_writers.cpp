#include "cli/table_writers.h"

#include <algorithm>

namespace report_cli {

using char_tally::Items;
__extension__ typedef unsigned __int128 Wide; // exact products of two 64-bit counts

Table makeTable(const Items& codePoints, Units units, frequency::Order order,
                std::optional<std::uint64_t> top) {
    Items items = units == Units::CodeUnit ? char_tally::codeUnits(codePoints) : codePoints;
    std::sort(items.begin(), items.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    if (order == frequency::Order::ByCountDescending)
        std::stable_sort(items.begin(), items.end(),
                         [](const auto& a, const auto& b) { return a.count > b.count; });
    else if (order == frequency::Order::ByCountAscending)
        std::stable_sort(items.begin(), items.end(),
                         [](const auto& a, const auto& b) { return a.count < b.count; });
    Table t;
    t.distinct = items.size();
    t.total = char_tally::total(items);
    const std::size_t kept =
        top ? std::size_t(std::min<std::uint64_t>(*top, items.size())) : items.size();
    std::uint64_t cumulative = 0;
    t.rows.reserve(kept);
    for (std::size_t i = 0; i < kept; ++i) {
        cumulative += items[i].count;
        t.rows.push_back({items[i].character, items[i].count, cumulative});
    }
    return t;
}

std::vector<std::uint64_t> coverage(const Items& codePoints, Units units,
                                    const std::vector<Share>& shares) {
    const Table t = makeTable(codePoints, units, frequency::Order::ByCountDescending, {});
    std::vector<std::uint64_t> out;
    for (const Share share : shares) {
        // The first k with cumulative / total >= share / 100, in whole numbers.
        const auto need = static_cast<Wide>(share) * t.total;
        std::uint64_t k = 0;
        while (k < t.rows.size() &&
               static_cast<Wide>(k == 0 ? 0 : t.rows[k - 1].cumulative) * 100000000 < need)
            ++k;
        out.push_back(k);
    }
    return out;
}

QString percentText(std::uint64_t n, std::uint64_t total) {
    if (total == 0)
        return QStringLiteral("0.0000");
    const auto scaled = (static_cast<Wide>(n) * 1000000 + total / 2) / total;
    const auto whole = std::uint64_t(scaled / 10000);
    const auto fraction = int(scaled % 10000);
    return QString::number(whole) + u'.' + QStringLiteral("%1").arg(fraction, 4, 10, QChar(u'0'));
}

QString characterText(char32_t c) {
    if (frequency::isInvisible(c))
        return frequency::codeLabel(c);
    return QString::fromUcs4(&c, 1);
}

QString codePointText(char32_t c) {
    return QStringLiteral("U+") + QStringLiteral("%1").arg(uint(c), 4, 16, QChar(u'0')).toUpper();
}

QString shareText(Share share) {
    QString s = QString::number(share / 1000000);
    if (const Share fraction = share % 1000000) {
        QString f = QStringLiteral("%1").arg(qulonglong(fraction), 6, 10, QChar(u'0'));
        while (f.endsWith(u'0'))
            f.chop(1);
        s += u'.' + f;
    }
    return s;
}

namespace {

void put(std::FILE* out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out);
}

QString coverageSentence(Share share, std::uint64_t characters) {
    return QStringLiteral("覆盖 %1% 的文本需要 %2 个字符").arg(shareText(share)).arg(characters);
}

// The window's report, each line ended by CR LF.
class ReportWriter : public Writer {
  public:
    ReportWriter(std::FILE* out, bool perFile) : m_out(out), m_perFile(perFile) {}
    void heading(const QString* file) {
        if (m_perFile)
            put(m_out, (file ? QStringLiteral("文件:") + *file : QStringLiteral("总计:")) +
                           QStringLiteral("\r\n"));
    }
    void table(const QString* file, const Table& t) override {
        heading(file);
        std::vector<frequency::Row> rows;
        rows.reserve(t.rows.size());
        for (const TableRow& r : t.rows)
            rows.push_back({r.character, r.count});
        put(m_out, frequency::reportText(rows, t.total, true));
    }
    void coverage(const QString* file, const std::vector<Share>& shares,
                  const std::vector<std::uint64_t>& characters, std::uint64_t total) override {
        heading(file);
        put(m_out, QStringLiteral("字符总数:%1\r\n").arg(total));
        for (std::size_t i = 0; i < shares.size(); ++i)
            put(m_out, coverageSentence(shares[i], characters[i]) + QStringLiteral("\r\n"));
    }
    void counts(const QString&, const std::vector<FileCount>& files, std::uint64_t total) override {
        for (const FileCount& f : files)
            put(m_out, QStringLiteral("%1:%2次\r\n").arg(f.path).arg(f.count));
        put(m_out, QStringLiteral("子字符串在原字符串中出现了:%1次\r\n").arg(total));
    }

  private:
    std::FILE* m_out;
    bool m_perFile;
};

// Tab- or comma-separated, with a header row.
class DelimitedWriter : public Writer {
  public:
    DelimitedWriter(std::FILE* out, bool csv, bool perFile, bool bom, const ExtraColumns& extras)
        : m_out(out), m_csv(csv), m_perFile(perFile), m_extras(extras) {
        if (bom)
            std::fputs("\xEF\xBB\xBF", m_out);
    }
    void table(const QString* file, const Table& t) override {
        QStringList header = {QStringLiteral("rank"),       QStringLiteral("character"),
                              QStringLiteral("code_point"), QStringLiteral("count"),
                              QStringLiteral("percent"),    QStringLiteral("cumulative_percent")};
        for (const ExtraColumn& c : m_extras)
            header << c.name;
        writeHeader(header);
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const TableRow& r = t.rows[i];
            QStringList cells = {QString::number(i + 1),        characterText(r.character),
                                 codePointText(r.character),    QString::number(r.count),
                                 percentText(r.count, t.total), percentText(r.cumulative, t.total)};
            for (const ExtraColumn& c : m_extras)
                cells << c.value(r.character);
            writeRow(file, cells);
        }
    }
    void coverage(const QString* file, const std::vector<Share>& shares,
                  const std::vector<std::uint64_t>& characters, std::uint64_t) override {
        writeHeader({QStringLiteral("share"), QStringLiteral("characters")});
        for (std::size_t i = 0; i < shares.size(); ++i)
            writeRow(file, {shareText(shares[i]), QString::number(characters[i])});
    }
    void counts(const QString&, const std::vector<FileCount>& files, std::uint64_t total) override {
        m_perFile = true;
        writeHeader({QStringLiteral("count")});
        for (const FileCount& f : files)
            writeRow(&f.path, {QString::number(f.count)});
        writeRow(nullptr, {QString::number(total)});
    }

  private:
    QString field(const QString& s) const {
        if (!m_csv) {
            QString t = s;
            return t.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
        }
        // RFC 4180: a field with a comma, a quote or a line break is quoted,
        // its quotes doubled.
        if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r'))
            return s;
        QString t = s;
        return u'"' + t.replace(u'"', QLatin1String("\"\"")) + u'"';
    }
    void line(const QStringList& cells) {
        QStringList fields;
        for (const QString& c : cells)
            fields << field(c);
        put(m_out, fields.join(m_csv ? u',' : u'\t') +
                       (m_csv ? QStringLiteral("\r\n") : QStringLiteral("\n")));
    }
    void writeHeader(const QStringList& header) {
        if (m_headerDone)
            return;
        m_headerDone = true;
        line(m_perFile ? QStringList{QStringLiteral("file")} + header : header);
    }
    void writeRow(const QString* file, const QStringList& cells) {
        line(m_perFile ? QStringList{file ? *file : QString()} + cells : cells);
    }

    std::FILE* m_out;
    bool m_csv;
    bool m_perFile;
    const ExtraColumns& m_extras;
    bool m_headerDone = false;
};

QString jsonString(const QString& s) {
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out + u'"';
}

// One object: the tables of the files, then the total.
class JsonWriter : public Writer {
  public:
    JsonWriter(std::FILE* out, Units units, const ExtraColumns& extras)
        : m_out(out), m_extras(extras) {
        put(m_out, QStringLiteral("{\"units\":\"%1\",\"files\":[")
                       .arg(units == Units::CodeUnit ? QStringLiteral("code-unit")
                                                     : QStringLiteral("code-point")));
    }
    void open(const QString* file) {
        if (file) {
            put(m_out,
                (m_files++ ? QStringLiteral(",\n{\"path\":") : QStringLiteral("\n{\"path\":")) +
                    jsonString(*file) + u',');
        } else {
            put(m_out, QStringLiteral("],\n\"total\":{"));
        }
    }
    void table(const QString* file, const Table& t) override {
        open(file);
        put(m_out, QStringLiteral("\"characters\":%1,\"distinct\":%2,\"rows\":[")
                       .arg(t.total)
                       .arg(t.distinct));
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const TableRow& r = t.rows[i];
            QString row =
                QStringLiteral("%1\n{\"rank\":%2,\"character\":%3,\"code_point\":\"%4\","
                               "\"count\":%5,\"percent\":%6,\"cumulative_percent\":%7")
                    .arg(i ? QStringLiteral(",") : QString())
                    .arg(i + 1)
                    .arg(jsonString(characterText(r.character)), codePointText(r.character))
                    .arg(r.count)
                    .arg(percentText(r.count, t.total), percentText(r.cumulative, t.total));
            for (const ExtraColumn& c : m_extras)
                row += u',' + jsonString(c.name) + u':' + jsonString(c.value(r.character));
            put(m_out, row + u'}');
        }
        put(m_out, QStringLiteral("]}"));
    }
    void coverage(const QString* file, const std::vector<Share>& shares,
                  const std::vector<std::uint64_t>& characters, std::uint64_t total) override {
        open(file);
        put(m_out, QStringLiteral("\"characters\":%1,\"coverage\":[").arg(total));
        for (std::size_t i = 0; i < shares.size(); ++i)
            put(m_out, QStringLiteral("%1{\"share\":%2,\"characters\":%3}")
                           .arg(i ? QStringLiteral(",") : QString(), shareText(shares[i]))
                           .arg(characters[i]));
        put(m_out, QStringLiteral("]}"));
    }
    void counts(const QString& substring, const std::vector<FileCount>& files,
                std::uint64_t total) override {
        for (const FileCount& f : files) {
            open(&f.path);
            put(m_out, QStringLiteral("\"count\":%1}").arg(f.count));
        }
        open(nullptr);
        put(m_out,
            QStringLiteral("\"substring\":%1,\"count\":%2}").arg(jsonString(substring)).arg(total));
    }
    void finish() override { put(m_out, QStringLiteral("}\n")); }

  private:
    std::FILE* m_out;
    const ExtraColumns& m_extras;
    int m_files = 0;
};

} // namespace

std::unique_ptr<Writer> makeWriter(Format format, std::FILE* out, bool perFile, bool bom,
                                   Units units, const ExtraColumns& extras) {
    switch (format) {
    case Format::Report:
        return std::make_unique<ReportWriter>(out, perFile);
    case Format::Json:
        return std::make_unique<JsonWriter>(out, units, extras);
    case Format::Csv:
        return std::make_unique<DelimitedWriter>(out, true, perFile, bom, extras);
    default:
        return std::make_unique<DelimitedWriter>(out, false, perFile, bom, extras);
    }
}

} // namespace report_cli
