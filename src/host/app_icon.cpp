#include "host/app_icon.h"

QIcon appIcon() {
    return QIcon(QStringLiteral(":/icons/quillet.png"));
}
