#include "results/sw_category_texts.h"

#include <QFile>
#include <QVariantMap>

#include "platform/property_list.h"

QString SWCategoryTexts::tooltipForKey(const QString& key) {
    static const QVariantMap tooltips = [] {
        QFile file{QString::fromLatin1(kTooltipsResource)};
        if (!file.open(QIODevice::ReadOnly)) return QVariantMap();
        return platform::propertyListDictionary(file.readAll()).value_or(QVariantMap());
    }();
    const QString text = tooltips.value(key).toString().trimmed();
    return text.isEmpty() ? QString::fromLatin1(kMissingTooltip) : text;
}
