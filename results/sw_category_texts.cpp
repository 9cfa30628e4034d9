#include "results/sw_category_texts.h"

#include <QFile>
#include <QVariantMap>

#include "platform/property_list.h"

// Outside any namespace, as Q_INIT_RESOURCE requires: the resources sit in a static
// library, whose initialiser the linker would otherwise leave out.
static void initResultsResources() {
    Q_INIT_RESOURCE(results);
}

void SWCategoryTexts::loadResources() {
    static const bool loaded = [] {
        initResultsResources();
        return true;
    }();
    Q_UNUSED(loaded);
}

QString SWCategoryTexts::tooltipForKey(const QString& key) {
    static const QVariantMap tooltips = [] {
        loadResources();
        QFile file{QString::fromLatin1(kTooltipsResource)};
        if (!file.open(QIODevice::ReadOnly)) return QVariantMap();
        return platform::propertyListDictionary(file.readAll()).value_or(QVariantMap());
    }();
    const QString text = tooltips.value(key).toString().trimmed();
    return text.isEmpty() ? QString::fromLatin1(kMissingTooltip) : text;
}
