#include "cli/report_run.h"

#include "cli/partial_tally.h"
#include "cli/progress_bar.h"
#include "cli/report_options.h"
#include "cli/table_writers.h"
#include "cli/unihan_report.h"
#include "host/file_name.h"

#include <QFile>
#include <cstdio>
#include <memory>
#include <optional>
#include <system_error>
#include <unistd.h>

namespace report_cli {

namespace {

void say(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
}

void complain(const QString& text) {
    say(stderr, QStringLiteral("quillet-report: ") + text + u'\n');
}

QString shown(const QString& path) {
    return path == QLatin1String("-") ? QStringLiteral("标准输入 standard input") : path;
}

int refuse(const QString& reason) {
    complain(reason);
    say(stderr,
        usageLine() + QStringLiteral("用 quillet-report --help 查看全部选项 / for all options.\n"));
    return 2;
}

// The partial tallies named, if each can be read and was made with these options.
std::optional<corpus_count::Result> mergePartials(const ReportOptions& o, int* status) {
    const QString mine = describe(o);
    std::vector<corpus_count::Result> parts;
    std::uint64_t characters = 0, occurrences = 0;
    for (const QString& path : o.inputs) {
        QFile file(path);
        if (path == QLatin1String("-") ? !file.open(stdin, QIODevice::ReadOnly)
                                       : !file.open(QIODevice::ReadOnly)) {
            *status = refuse(QStringLiteral("%1: %2").arg(path, file.errorString()));
            return std::nullopt;
        }
        QString error;
        auto read = partial_tally::read(file.readAll(), &error);
        if (!read) {
            *status = refuse(QStringLiteral("%1: %2").arg(path, error));
            return std::nullopt;
        }
        if (read->options != mine) {
            *status = refuse(QStringLiteral("%1 的选项与本次不同,不能合并 / was made with other "
                                            "options: %2, here: %3")
                                 .arg(path, read->options, mine));
            return std::nullopt;
        }
        // Counts that no sum can hold are damage, not a corpus.
        if (__builtin_add_overflow(characters, char_tally::total(read->result.items),
                                   &characters) ||
            __builtin_add_overflow(occurrences, read->result.occurrences, &occurrences)) {
            *status = refuse(QStringLiteral("%1: 计数过大,无法合并 / the counts are too large to "
                                            "merge")
                                 .arg(path));
            return std::nullopt;
        }
        parts.push_back(std::move(read->result));
    }
    return partial_tally::merge(std::move(parts));
}

void writeTables(const ReportOptions& o, const corpus_count::Result& result, Writer& writer) {
    auto section = [&](const QString* file, const char_tally::Items& items) {
        if (!o.coverage.empty()) {
            const Table t = makeTable(items, o.units, o.order, std::uint64_t(0));
            writer.coverage(file, o.coverage, coverage(items, o.units, o.coverage), t.total);
        } else {
            writer.table(file, makeTable(items, o.units, o.order, o.top));
        }
    };
    if (o.count.perFile)
        for (const corpus_count::FileResult& f : result.files)
            if (f.error.isEmpty())
                section(&f.path, f.items);
    section(nullptr, result.items);
}

} // namespace

int run(const QStringList& arguments) {
    const Parsed parsed = parse(arguments);
    switch (parsed.action) {
    case Parsed::Action::Help:
        say(stdout, helpText());
        return 0;
    case Parsed::Action::Version:
        say(stdout, QStringLiteral("quillet-report " QUILLET_VERSION "\n"));
        return 0;
    case Parsed::Action::Fail:
        return refuse(parsed.message);
    case Parsed::Action::Run:
        break;
    }
    const ReportOptions& o = parsed.options;

    // Before counting, so that a long run does not end in the missing data.
    std::optional<unihan::Table> unihanTable;
    if (o.unihan.needed()) {
        QString error;
        unihanTable = loadUnihan(o.unihan, &error);
        if (!unihanTable) {
            complain(error);
            return 2;
        }
    }

    corpus_count::Result result;
    if (o.merge) {
        int status = 0;
        auto merged = mergePartials(o, &status);
        if (!merged)
            return status;
        result = std::move(*merged);
    } else {
        const QStringList files = corpus_count::collectFiles(o.inputs, o.include);
        if (o.list) {
            for (const QString& f : files) {
                // The names' own bytes, for other programs to open.
                const QByteArray name = file_name::toBytes(f) + (o.null ? '\0' : '\n');
                std::fwrite(name.constData(), 1, std::size_t(name.size()), stdout);
            }
            return 0;
        }
        corpus_count::Progress progress;
        std::optional<ProgressBar> bar;
        if (!o.quiet && ::isatty(2)) {
            try {
                bar.emplace(progress);
            } catch (const std::system_error&) {
                // No room for its thread: the count goes on without it.
            }
        }
        result = corpus_count::count(files, o.count, &progress);
        // Names are shown as the user reads them: a GBK name decoded.
        for (corpus_count::FileResult& f : result.files)
            f.path = file_name::display(f.path);
    }

    bool unreadable = false;
    for (const corpus_count::FileResult& f : result.files) {
        if (!f.error.isEmpty()) {
            unreadable = true;
            complain(QStringLiteral("%1: %2").arg(shown(f.path), f.error));
        } else if (f.invalid > 0 && !o.merge) {
            complain(QStringLiteral("文件 %1 中有 %2 处无法识别的字节,已按 \uFFFD 计数。 / %2 "
                                    "unreadable bytes were counted as U+FFFD.")
                         .arg(shown(f.path))
                         .arg(f.invalid));
        }
    }

    // Modules with per-character columns (readings, strokes) add them here.
    const ExtraColumns extras =
        unihanTable ? infoColumns(*unihanTable, o.unihan.info) : ExtraColumns();
    if (o.format == Format::Partial) {
        const QByteArray bytes = partial_tally::write(result, describe(o));
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    } else {
        const auto writer = makeWriter(o.format, stdout, o.count.perFile, o.bom, o.units, extras);
        if (!o.count.substring.isEmpty()) {
            std::vector<FileCount> counts;
            for (const corpus_count::FileResult& f : result.files)
                if (f.error.isEmpty())
                    counts.push_back({f.path, f.occurrences});
            writer->counts(o.count.substring, counts, result.occurrences);
        } else if (!profileOnly(o)) {
            writeTables(o, result, *writer);
        }
        if (o.unihan.profile)
            writeProfiles(stdout, o, result, *unihanTable);
        writer->finish();
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        complain(QStringLiteral("无法写出结果 / the output could not be written"));
        return 1;
    }
    return unreadable ? 1 : 0;
}

} // namespace report_cli
