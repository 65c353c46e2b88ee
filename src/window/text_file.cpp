#include "window/text_file.h"

namespace text_file {

QString textFromFile(const QString& fileText) {
    qsizetype end = fileText.size();
    if (fileText.endsWith(QLatin1String("\r\n")))
        end -= 2;
    else if (fileText.endsWith(u'\r'))
        end -= 1;
    bool loneCr = false;
    for (qsizetype i = 0; i < end && !loneCr; ++i)
        loneCr = fileText[i] == u'\r' && (i + 1 >= end || fileText[i + 1] != u'\n');
    if (!loneCr)
        return fileText.left(end);
    QString text;
    text.reserve(end + 16);
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = fileText[i];
        text += c;
        if (c == u'\r' && (i + 1 >= end || fileText[i + 1] != u'\n'))
            text += u'\n';
    }
    return text;
}

QString fileFromText(const QString& boxText) {
    return boxText + QLatin1String("\r\n");
}

} // namespace text_file
