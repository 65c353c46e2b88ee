#include "host/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstring>

namespace {

// Texts Qt's own Chinese translation leaves in English: the file dialog's
// type column ("Folder", "txt File") and its sizes.
class MissingQtTexts : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        struct Row {
            const char* context;
            const char* source;
            const char* chinese;
        };
        static const Row rows[] = {
            {"QAbstractFileIconProvider", "Folder", "文件夹"},
            {"QAbstractFileIconProvider", "File", "文件"},
            {"QAbstractFileIconProvider", "%1 File", "%1 文件"},
            {"QAbstractFileIconProvider", "Drive", "驱动器"},
            {"QAbstractFileIconProvider", "Alias", "别名"},
            {"QAbstractFileIconProvider", "Shortcut", "快捷方式"},
            {"QAbstractFileIconProvider", "Unknown", "未知"},
            {"QFileSystemModel", "%1 bytes", "%1 字节"},
        };
        if (!context || !source)
            return QString();
        for (const Row& row : rows)
            if (std::strcmp(context, row.context) == 0 && std::strcmp(source, row.source) == 0)
                return QString::fromUtf8(row.chinese);
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

bool installQtTranslations(QCoreApplication& app) {
    // Installed first, so asked last: Qt's own translation wins where it has a text.
    QCoreApplication::installTranslator(new MissingQtTexts(&app));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
