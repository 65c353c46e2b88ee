#include "cli/report_options.h"

#include "cli/unihan_report.h"
#include "host/file_name.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>

namespace report_cli {

namespace {

struct Choice {
    const char* name;
    int value;
};

std::optional<int> choose(const QString& text, std::initializer_list<Choice> choices) {
    for (const Choice& c : choices)
        if (text == QLatin1String(c.name))
            return c.value;
    return std::nullopt;
}

// "90", "99.5": up to six decimals, above 0 and at most 100.
std::optional<Share> parseShare(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,3})(?:\\.([0-9]{1,6}))?$"));
    const auto m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const Share whole = m.captured(1).toULongLong();
    const QString fraction = m.captured(2).leftJustified(6, u'0');
    const Share share = whole * 1000000 + fraction.toULongLong();
    if (share == 0 || share > Share(100) * 1000000)
        return std::nullopt;
    return share;
}

} // namespace

QString usageLine() {
    return QStringLiteral(
        "用法 Usage: quillet-report [选项 options] [文件|文件夹 FILE|FOLDER ...]\n");
}

QString helpText() {
    return usageLine() +
           QStringLiteral(
               "统计文件和文件夹中每个字符出现的次数,输出频率表。\n"
               "Counts every character of files and folders and prints a frequency table.\n"
               "没有文件或文件为 \"-\" 时读标准输入。 Standard input when no file is named, or "
               "\"-\".\n"
               "\n"
               "选项 Options:\n"
               "  --include GLOB          文件夹中读取的文件名(默认 *.txt,可重复)\n"
               "                          names of files read in folders (default *.txt; "
               "repeatable)\n"
               "  --files-from FILE       从文件中逐行读取文件名 / read file names, one a line, "
               "from FILE\n"
               "  --encoding NAME         "
               "指定编码:gbk、gb18030、utf-8、utf-16le、utf-16be(默认自动判断)\n"
               "                          the encoding of every file (default: decided per file)\n"
               "  --ignore-case           忽略大小写 / ignore case\n"
               "  --keep-line-breaks      统计换行符(默认忽略 CR LF)/ count CR LF (ignored by "
               "default)\n"
               "  --keep-spaces           统计空格(默认忽略)/ count spaces (ignored by default)\n"
               "  --separator TEXT        忽略分隔符 TEXT / ignore the separator TEXT\n"
               "  --ignore LIST           忽略指定字符,以空格分隔,不分大小写\n"
               "                          ignore the space-separated entries of LIST, ignoring "
               "case\n"
               "  --order ORDER           "
               "count(按频率顺序)、reverse(按频率倒序)、appearance(按出现顺序,默认)\n"
               "                          by count, by count reversed, or by first appearance "
               "(default)\n"
               "  --units UNITS           code-point(默认)或 code-unit(与窗口相同)\n"
               "                          code points (default) or UTF-16 code units (as the "
               "window)\n"
               "  --format FORMAT         "
               "tsv(默认)、csv、json、report(窗口的报告)、partial(可合并的中间结果)\n"
               "                          tsv (default), csv, json, report (the window's), partial "
               "(mergeable)\n"
               "  --bom                   写 UTF-8 字节顺序标记,便于 Excel 打开 / write a UTF-8 "
               "byte-order mark\n"
               "  --per-file              每个文件一个表,再加总表 / a table per file before the "
               "total\n"
               "  --top N                 只输出前 N 行 / only the first N rows\n"
               "  --coverage LIST         覆盖文本各百分比所需的字符数,如 50,80,90,99\n"
               "                          how many characters cover each share of the text, e.g. "
               "50,80,90,99\n"
               "  --count TEXT            统计子字符串 TEXT 出现的次数(不重叠,区分大小写)\n"
               "                          count the non-overlapping occurrences of TEXT instead\n"
               "  --info LIST             "
               "加列:pinyin(拼音)、strokes(笔画)、level(通用规范汉字表级别)\n"
               "                          more columns: pinyin, strokes, level in the list of "
               "2013\n"
               "  --profile               汉字的级别分布(一级、二级、三级、表外);--top 0 "
               "只输出分布\n"
               "                          the hanzi's level profile; --top 0 for the profile "
               "only\n"
               "  --unihan DIR            Unihan 数据的文件夹(默认 /usr/share/unicode,unicode-data "
               "包)\n"
               "                          the folder of the Unihan files (default "
               "/usr/share/unicode)\n"
               "  --merge                 合并参数中的 partial 结果 / merge the partial tallies "
               "named\n"
               "  --jobs N                线程数(默认每核一个)/ threads (default: one per core)\n"
               "  --list                  只列出将读取的文件 / only list the files that would be "
               "read\n"
               "  --null                  --list 和 --files-from 的文件名以 NUL 结尾\n"
               "                          names end with NUL in --list and --files-from (names "
               "with line breaks)\n"
               "  --quiet                 不显示进度 / no progress bar\n"
               "  -h, --help              显示本帮助 / show this help\n"
               "  -v, --version           显示版本 / show the version\n"
               "\n"
               "退出状态 Exit status: 0 全部读取 all files read; 1 有文件无法读取 some could not "
               "be read;\n"
               "2 选项错误或缺少 Unihan 数据 bad options, or no Unihan data.\n");
}

Parsed parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    auto flag = [&](const QStringList& names) {
        const QCommandLineOption o(names);
        parser.addOption(o);
        return o;
    };
    auto valued = [&](const QString& name) {
        const QCommandLineOption o(name, QString(), QStringLiteral("value"));
        parser.addOption(o);
        return o;
    };
    const auto help = flag({QStringLiteral("h"), QStringLiteral("help")});
    const auto version = flag({QStringLiteral("v"), QStringLiteral("version")});
    const auto include = valued(QStringLiteral("include"));
    const auto filesFrom = valued(QStringLiteral("files-from"));
    const auto encoding = valued(QStringLiteral("encoding"));
    const auto ignoreCase = flag({QStringLiteral("ignore-case")});
    const auto keepLineBreaks = flag({QStringLiteral("keep-line-breaks")});
    const auto keepSpaces = flag({QStringLiteral("keep-spaces")});
    const auto separator = valued(QStringLiteral("separator"));
    const auto ignore = valued(QStringLiteral("ignore"));
    const auto order = valued(QStringLiteral("order"));
    const auto units = valued(QStringLiteral("units"));
    const auto format = valued(QStringLiteral("format"));
    const auto bom = flag({QStringLiteral("bom")});
    const auto perFile = flag({QStringLiteral("per-file")});
    const auto top = valued(QStringLiteral("top"));
    const auto coverage = valued(QStringLiteral("coverage"));
    const auto count = valued(QStringLiteral("count"));
    const auto merge = flag({QStringLiteral("merge")});
    const auto jobs = valued(QStringLiteral("jobs"));
    const auto list = flag({QStringLiteral("list")});
    const auto null = flag({QStringLiteral("null")});
    const auto quiet = flag({QStringLiteral("quiet")});
    const auto info = valued(QStringLiteral("info"));
    const auto profile = flag({QStringLiteral("profile")});
    const auto unihanDir = valued(QStringLiteral("unihan"));

    Parsed p;
    auto fail = [&](const QString& message) {
        p.action = Parsed::Action::Fail;
        p.message = message;
        return p;
    };
    if (!parser.parse(arguments))
        return fail(QStringLiteral("选项有误 / ") + parser.errorText());
    if (parser.isSet(help)) {
        p.action = Parsed::Action::Help;
        return p;
    }
    if (parser.isSet(version)) {
        p.action = Parsed::Action::Version;
        return p;
    }
    ReportOptions& o = p.options;
    o.include = parser.values(include);
    for (const QString& pattern : std::as_const(o.include))
        if (!QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).isValid())
            return fail(
                QStringLiteral("--include 的模式无效 / not a valid pattern: %1").arg(pattern));
    if (o.include.isEmpty())
        o.include = {QStringLiteral("*.txt")};
    o.inputs = parser.positionalArguments();
    for (const QString& listFile : parser.values(filesFrom)) {
        QFile f(listFile);
        if (!f.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("无法读取文件列表 / cannot read the list of files %1: %2")
                            .arg(listFile, f.errorString()));
        if (parser.isSet(null)) {
            for (const QByteArray& name : f.readAll().split('\0'))
                if (!name.isEmpty())
                    o.inputs << file_name::fromBytes(name);
            continue;
        }
        for (const QByteArray& line : f.readAll().split('\n'))
            if (!line.isEmpty())
                o.inputs << file_name::fromBytes(line.endsWith('\r') ? line.chopped(1) : line);
    }
    if (parser.isSet(encoding)) {
        using text_codec::Encoding;
        const auto e =
            choose(parser.value(encoding).toLower(), {{"gbk", int(Encoding::Gbk)},
                                                      {"gb18030", int(Encoding::Gb18030)},
                                                      {"utf-8", int(Encoding::Utf8)},
                                                      {"utf8", int(Encoding::Utf8)},
                                                      {"utf-16le", int(Encoding::Utf16Le)},
                                                      {"utf-16be", int(Encoding::Utf16Be)}});
        if (!e)
            return fail(
                QStringLiteral("未知的编码 / unknown encoding: %1").arg(parser.value(encoding)));
        o.count.encoding = Encoding(*e);
    }
    preparation::Options& prep = o.count.preparation;
    prep.lowerCase = parser.isSet(ignoreCase);
    prep.removeLineBreaks = !parser.isSet(keepLineBreaks);
    prep.removeSpaces = !parser.isSet(keepSpaces);
    prep.separator = parser.value(separator);
    prep.removeListed = parser.isSet(ignore);
    prep.ignoreList = parser.value(ignore);
    if (parser.isSet(order)) {
        const auto v =
            choose(parser.value(order), {{"count", int(frequency::Order::ByCountDescending)},
                                         {"reverse", int(frequency::Order::ByCountAscending)},
                                         {"appearance", int(frequency::Order::FirstAppearance)}});
        if (!v)
            return fail(
                QStringLiteral("--order 只能是 count、reverse 或 appearance / must be count, "
                               "reverse or appearance: %1")
                    .arg(parser.value(order)));
        o.order = frequency::Order(*v);
    }
    if (parser.isSet(units)) {
        const auto v = choose(parser.value(units), {{"code-unit", int(Units::CodeUnit)},
                                                    {"code-point", int(Units::CodePoint)}});
        if (!v)
            return fail(
                QStringLiteral("--units 只能是 code-unit 或 code-point / must be code-unit or "
                               "code-point: %1")
                    .arg(parser.value(units)));
        o.units = Units(*v);
    }
    if (parser.isSet(format)) {
        const auto v = choose(parser.value(format), {{"report", int(Format::Report)},
                                                     {"tsv", int(Format::Tsv)},
                                                     {"csv", int(Format::Csv)},
                                                     {"json", int(Format::Json)},
                                                     {"partial", int(Format::Partial)}});
        if (!v)
            return fail(
                QStringLiteral("--format 只能是 report、tsv、csv、json 或 partial / must be "
                               "report, tsv, csv, json or partial: %1")
                    .arg(parser.value(format)));
        o.format = Format(*v);
    }
    o.bom = parser.isSet(bom);
    o.count.perFile = parser.isSet(perFile);
    o.quiet = parser.isSet(quiet);
    o.list = parser.isSet(list);
    o.null = parser.isSet(null);
    o.merge = parser.isSet(merge);
    if (parser.isSet(top)) {
        bool ok = false;
        const qulonglong n = parser.value(top).toULongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("--top 需要一个非负整数 / needs a whole number: %1")
                            .arg(parser.value(top)));
        o.top = n;
    }
    if (parser.isSet(coverage)) {
        for (const QString& item : parser.value(coverage).split(u',')) {
            const auto share = parseShare(item);
            if (!share)
                return fail(
                    QStringLiteral("--coverage 的百分比应大于 0、不超过 100 / each share must be "
                                   "above 0 and at most 100: \"%1\"")
                        .arg(item));
            o.coverage.push_back(*share);
        }
    }
    if (parser.isSet(count)) {
        o.count.substring = parser.value(count);
        if (o.count.substring.isEmpty())
            return fail(QStringLiteral("--count 的子字符串为空 / the substring is empty"));
    }
    if (parser.isSet(jobs)) {
        bool ok = false;
        const int n = parser.value(jobs).toInt(&ok);
        if (!ok || n < 1 || n > 256)
            return fail(
                QStringLiteral("--jobs 需要 1 到 256 之间的整数 / needs a whole number from 1 to "
                               "256: %1")
                    .arg(parser.value(jobs)));
        o.count.threads = n;
    }
    if (o.merge && o.inputs.isEmpty())
        return fail(QStringLiteral("--merge 需要至少一个 partial 文件 / needs partial tallies"));
    if (o.merge && o.count.perFile)
        return fail(
            QStringLiteral("--merge 不能与 --per-file 同用 / cannot be used with --per-file"));
    if (o.format == Format::Partial && (o.count.perFile || o.top || !o.coverage.empty()))
        return fail(QStringLiteral(
            "--format partial 不能与 --per-file、--top、--coverage 同用 / keeps the whole tally"));
    if (parser.isSet(info)) {
        QString error;
        o.unihan.info = unihan::parseInfoFields(parser.value(info), &error);
        if (!error.isEmpty())
            return fail(error);
    }
    o.unihan.profile = parser.isSet(profile);
    o.unihan.dir = parser.value(unihanDir);
    if (const QString conflict = unihanConflict(o); !conflict.isEmpty())
        return fail(conflict);
    if (o.inputs.isEmpty())
        o.inputs = {QStringLiteral("-")};
    return p;
}

QString describe(const ReportOptions& options) {
    return corpus_count::describe(options.count) + (options.units == Units::CodeUnit
                                                        ? QStringLiteral(" units=code-unit")
                                                        : QStringLiteral(" units=code-point"));
}

} // namespace report_cli
