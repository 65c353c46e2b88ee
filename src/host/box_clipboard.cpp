#include "host/box_clipboard.h"

#include "host/exact_text.h"

#include <QByteArray>
#include <QMimeData>

namespace box_clipboard {

QMimeData* mimeData(const QString& exact) {
    auto* data = new QMimeData;
    data->setText(exact_text::toClipboard(exact));
    data->setData(QLatin1String(kExactType),
                  QByteArray(reinterpret_cast<const char*>(exact.utf16()), exact.size() * 2));
    return data;
}

bool hasText(const QMimeData* data) {
    return data && (data->hasFormat(QLatin1String(kExactType)) || data->hasText());
}

QString text(const QMimeData* data) {
    if (!data)
        return QString();
    if (data->hasFormat(QLatin1String(kExactType))) {
        const QByteArray bytes = data->data(QLatin1String(kExactType));
        return QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    }
    return data->hasText() ? exact_text::normalizeLineBreaks(data->text()) : QString();
}

} // namespace box_clipboard
