#include "cli/unihan_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace report_cli {

namespace {

void put(std::FILE* out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), out);
}

unihan::Profile profileOf(const unihan::Table& table, const char_tally::Items& items) {
    std::vector<unihan::CodePointCount> counts;
    counts.reserve(items.size());
    for (const char_tally::Item& item : items)
        counts.push_back({item.character, item.count});
    return unihan::levelProfile(table, counts);
}

// As the tables quote: tabs and line breaks become spaces in tsv; RFC 4180 in csv.
QString field(QString s, bool csv) {
    if (!csv)
        return s.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r'))
        return s;
    return u'"' + s.replace(u'"', u"\"\""_s) + u'"';
}

} // namespace

QString unihanConflict(const ReportOptions& o) {
    if (!o.unihan.needed())
        return {};
    if (o.format == Format::Partial)
        return u"--info、--profile 不能与 --format partial 同用 / a partial tally holds counts only"_s;
    if (!o.unihan.info.empty() && o.format == Format::Report)
        return u"--info 只用于 tsv、csv 和 json 表 / adds columns to the tsv, csv and json tables only"_s;
    if (!o.count.substring.isEmpty())
        return u"--info、--profile 不能与 --count 同用 / cannot be used with --count"_s;
    if (!o.coverage.empty())
        return u"--info、--profile 不能与 --coverage 同用 / cannot be used with --coverage"_s;
    return {};
}

std::optional<unihan::Table> loadUnihan(const UnihanRequest& request, QString* error) {
    const QString dir = request.dir.isEmpty() ? unihan::defaultDirectory() : request.dir;
    unihan::LoadResult r = unihan::load(dir, unihan::defaultCacheDirectory());
    if (!r.table)
        *error = u"Unihan 数据不可用,--info 和 --profile 无法使用 / %1\n"
                 u"请安装 unicode-data 包,或用 --unihan DIR 指定文件夹 / install the package "
                 u"unicode-data, or name the folder with --unihan DIR"_s.arg(r.error);
    return std::move(r.table);
}

ExtraColumns infoColumns(const unihan::Table& table, const std::vector<unihan::InfoField>& fields) {
    ExtraColumns columns;
    for (const unihan::InfoField f : fields)
        columns.push_back({unihan::infoFieldName(f),
                           [&table, f](char32_t c) { return unihan::infoValue(table, c, f); }});
    return columns;
}

bool profileOnly(const ReportOptions& o) {
    return o.unihan.profile && o.top && *o.top == 0 && o.format != Format::Json;
}

void writeProfiles(std::FILE* out, const ReportOptions& o, const corpus_count::Result& result,
                   const unihan::Table& table) {
    struct Named {
        const QString* file; // null: the whole text
        unihan::Profile profile;
    };
    std::vector<Named> profiles;
    if (o.count.perFile)
        for (const corpus_count::FileResult& f : result.files)
            if (f.error.isEmpty())
                profiles.push_back({&f.path, profileOf(table, f.items)});
    profiles.push_back({nullptr, profileOf(table, result.items)});
    const bool afterTables = !profileOnly(o);

    if (o.format == Format::Json) {
        // Written before the writer closes its object.
        QJsonArray files;
        for (const Named& n : profiles)
            if (n.file) {
                QJsonObject p = unihan::profileJson(n.profile);
                p.insert(u"path"_s, *n.file);
                files.append(p);
            }
        const QJsonObject profile{{u"files"_s, files},
                                  {u"total"_s, unihan::profileJson(profiles.back().profile)}};
        put(out, u",\n\"profile\":"_s +
                     QString::fromUtf8(QJsonDocument(profile).toJson(QJsonDocument::Compact)));
        return;
    }
    if (o.format == Format::Report) {
        // The window's report ends its lines with CR LF; so does this.
        QString text = afterTables ? u"\n"_s : QString();
        for (const Named& n : profiles) {
            if (o.count.perFile)
                text += (n.file ? u"文件:"_s + *n.file : u"总计:"_s) + u'\n';
            text += unihan::profileText(n.profile);
        }
        put(out, text.replace(u'\n', u"\r\n"_s));
        return;
    }
    const bool csv = o.format == Format::Csv;
    const QString end = csv ? u"\r\n"_s : u"\n"_s;
    auto line = [&](const QStringList& cells) {
        QStringList fields;
        for (const QString& c : cells)
            fields << field(c, csv);
        put(out, fields.join(csv ? u',' : u'\t') + end);
    };
    if (afterTables)
        put(out, end);
    const QStringList header = unihan::profileHeader();
    line(o.count.perFile ? QStringList{u"file"_s} + header : header);
    for (const Named& n : profiles) {
        const QStringList row = unihan::profileRow(n.profile);
        line(o.count.perFile ? QStringList{n.file ? *n.file : QString()} + row : row);
    }
}

} // namespace report_cli
