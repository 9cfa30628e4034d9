#include "platform/type_identifiers.h"

#include <QHash>
#include <vector>

namespace platform {
namespace {

const QString kPhoneIcon = QStringLiteral("phone-apple-iphone");
const QString kTabletIcon = QStringLiteral("computer-apple-ipad");
const QString kPlayerIcon = QStringLiteral("multimedia-player-apple-ipod-touch");
const QString kWatchIcon = QStringLiteral("watch-apple-watch");

// One device model: its type identifier, its icon, the model codes it answers for, and
// the colours for which it registers "identifier-colour" variants.
struct DeviceModel {
    QString typeIdentifier;
    QString icon;
    QStringList modelCodes;
    QStringList colours;
};

const std::vector<DeviceModel>& deviceModels() {
    static const std::vector<DeviceModel> models = {
        {"com.apple.iphone", kPhoneIcon, {"iPhone1,1"}, {}},
        {"com.apple.iphone-3g", kPhoneIcon, {"iPhone1,2"}, {}},
        {"com.apple.iphone-3gs", kPhoneIcon, {"iPhone2,1"}, {}},
        {"com.apple.iphone-4", kPhoneIcon, {"iPhone3,1", "iPhone3,2", "iPhone3,3"}, {}},
        {"com.apple.iphone-4s", kPhoneIcon, {"iPhone4,1"}, {}},
        {"com.apple.iphone-5", kPhoneIcon, {"iPhone5,1", "iPhone5,2"}, {}},
        {"com.apple.iphone-5c",
         kPhoneIcon,
         {"iPhone5,3", "iPhone5,4"},
         {"f5f4f7", "fe767a", "faf189", "a1e877", "46abe0"}},
        {"com.apple.iphone-5s", kPhoneIcon, {"iPhone6,1", "iPhone6,2"}, {}},
        {"com.apple.iphone-6-plus", kPhoneIcon, {"iPhone7,1"}, {}},
        {"com.apple.iphone-6", kPhoneIcon, {"iPhone7,2"}, {}},
        {"com.apple.iphone-6s", kPhoneIcon, {"iPhone8,1"}, {}},
        {"com.apple.iphone-6s-plus", kPhoneIcon, {"iPhone8,2"}, {}},
        {"com.apple.iphone-se", kPhoneIcon, {"iPhone8,4"}, {}},
        {"com.apple.iphone-7", kPhoneIcon, {"iPhone9,1", "iPhone9,3"}, {}},
        {"com.apple.iphone-7-plus", kPhoneIcon, {"iPhone9,2", "iPhone9,4"}, {}},
        {"com.apple.iphone-8", kPhoneIcon, {"iPhone10,1", "iPhone10,4"}, {}},
        {"com.apple.iphone-8-plus", kPhoneIcon, {"iPhone10,2", "iPhone10,5"}, {}},
        {"com.apple.iphone-x", kPhoneIcon, {"iPhone10,3", "iPhone10,6"}, {}},
        {"com.apple.iphone-xs", kPhoneIcon, {"iPhone11,2"}, {}},
        {"com.apple.iphone-xs-max", kPhoneIcon, {"iPhone11,4", "iPhone11,6"}, {}},
        {"com.apple.iphone-xr", kPhoneIcon, {"iPhone11,8"}, {}},
        {"com.apple.iphone-11", kPhoneIcon, {"iPhone12,1"}, {}},
        {"com.apple.iphone-11-pro", kPhoneIcon, {"iPhone12,3"}, {}},
        {"com.apple.iphone-11-pro-max", kPhoneIcon, {"iPhone12,5"}, {}},
        {"com.apple.iphone-se-2", kPhoneIcon, {"iPhone12,8"}, {}},
        {"com.apple.iphone-12-mini", kPhoneIcon, {"iPhone13,1"}, {}},
        {"com.apple.iphone-12", kPhoneIcon, {"iPhone13,2"}, {}},
        {"com.apple.iphone-12-pro", kPhoneIcon, {"iPhone13,3"}, {}},
        {"com.apple.iphone-12-pro-max", kPhoneIcon, {"iPhone13,4"}, {}},
        {"com.apple.iphone-13-pro", kPhoneIcon, {"iPhone14,2"}, {}},
        {"com.apple.iphone-13-pro-max", kPhoneIcon, {"iPhone14,3"}, {}},
        {"com.apple.iphone-13-mini", kPhoneIcon, {"iPhone14,4"}, {}},
        {"com.apple.iphone-13", kPhoneIcon, {"iPhone14,5"}, {}},
        {"com.apple.iphone-se-3", kPhoneIcon, {"iPhone14,6"}, {}},
        {"com.apple.iphone-14", kPhoneIcon, {"iPhone14,7"}, {}},
        {"com.apple.iphone-14-plus", kPhoneIcon, {"iPhone14,8"}, {}},
        {"com.apple.iphone-14-pro", kPhoneIcon, {"iPhone15,2"}, {}},
        {"com.apple.iphone-14-pro-max", kPhoneIcon, {"iPhone15,3"}, {}},
        {"com.apple.iphone-15", kPhoneIcon, {"iPhone15,4"}, {}},
        {"com.apple.iphone-15-plus", kPhoneIcon, {"iPhone15,5"}, {}},
        {"com.apple.iphone-15-pro", kPhoneIcon, {"iPhone16,1"}, {}},
        {"com.apple.iphone-15-pro-max", kPhoneIcon, {"iPhone16,2"}, {}},
        {"com.apple.iphone-16-pro", kPhoneIcon, {"iPhone17,1"}, {}},
        {"com.apple.iphone-16-pro-max", kPhoneIcon, {"iPhone17,2"}, {}},
        {"com.apple.iphone-16", kPhoneIcon, {"iPhone17,3"}, {}},
        {"com.apple.iphone-16-plus", kPhoneIcon, {"iPhone17,4"}, {}},
        {"com.apple.ipod-touch", kPlayerIcon, {"iPod1,1"}, {}},
        {"com.apple.ipod-touch-2", kPlayerIcon, {"iPod2,1"}, {}},
        {"com.apple.ipod-touch-3", kPlayerIcon, {"iPod3,1"}, {}},
        {"com.apple.ipod-touch-4", kPlayerIcon, {"iPod4,1"}, {}},
        {"com.apple.ipod-touch-5", kPlayerIcon, {"iPod5,1"}, {}},
        {"com.apple.ipod-touch-6", kPlayerIcon, {"iPod7,1"}, {}},
        {"com.apple.ipod-touch-7", kPlayerIcon, {"iPod9,1"}, {}},
        {"com.apple.ipad", kTabletIcon, {"iPad1,1"}, {}},
        {"com.apple.ipad-2", kTabletIcon, {"iPad2,1", "iPad2,2", "iPad2,3", "iPad2,4"}, {}},
        {"com.apple.ipad-mini", kTabletIcon, {"iPad2,5", "iPad2,6", "iPad2,7"}, {}},
        {"com.apple.ipad-3", kTabletIcon, {"iPad3,1", "iPad3,2", "iPad3,3"}, {}},
        {"com.apple.ipad-4", kTabletIcon, {"iPad3,4", "iPad3,5", "iPad3,6"}, {}},
        {"com.apple.ipad-air", kTabletIcon, {"iPad4,1", "iPad4,2", "iPad4,3"}, {}},
        {"com.apple.ipad-air-2", kTabletIcon, {"iPad5,3", "iPad5,4"}, {}},
        {"com.apple.ipad-pro-9point7", kTabletIcon, {"iPad6,3", "iPad6,4"}, {}},
        {"com.apple.ipad-pro-12point9", kTabletIcon, {"iPad6,7", "iPad6,8"}, {}},
        {"com.apple.ipad-5", kTabletIcon, {"iPad6,11", "iPad6,12"}, {}},
        {"com.apple.ipad-6", kTabletIcon, {"iPad7,5", "iPad7,6"}, {}},
        {"com.apple.ipad-pro-11", kTabletIcon, {"iPad8,1", "iPad8,2", "iPad8,3", "iPad8,4"}, {}},
        {"com.apple.ipad-air-3", kTabletIcon, {"iPad11,3", "iPad11,4"}, {}},
        {"com.apple.ipad-8", kTabletIcon, {"iPad11,6", "iPad11,7"}, {}},
        {"com.apple.ipad-air-4", kTabletIcon, {"iPad13,1", "iPad13,2"}, {}},
        {"com.apple.ipad-mini-6", kTabletIcon, {"iPad14,1", "iPad14,2"}, {}},
        {"com.apple.watch-38mm", kWatchIcon, {"Watch1,1"}, {"1", "2", "3", "4", "5", "6"}},
        {"com.apple.watch-42mm", kWatchIcon, {"Watch1,2"}, {"1", "2", "3", "4", "5", "6"}},
        {"com.apple.watch-series-2-38mm", kWatchIcon, {"Watch2,3", "Watch2,6"}, {}},
        {"com.apple.watch-series-2-42mm", kWatchIcon, {"Watch2,4", "Watch2,7"}, {}},
        {"com.apple.watch-series-3-38mm", kWatchIcon, {"Watch3,1", "Watch3,3"}, {}},
        {"com.apple.watch-series-3-42mm", kWatchIcon, {"Watch3,2", "Watch3,4"}, {}},
        {"com.apple.watch-series-4-40mm", kWatchIcon, {"Watch4,1", "Watch4,3"}, {}},
        {"com.apple.watch-series-4-44mm", kWatchIcon, {"Watch4,2", "Watch4,4"}, {}},
    };
    return models;
}

const DeviceModel* modelForCode(const QString& code) {
    static const QHash<QString, const DeviceModel*> byCode = [] {
        QHash<QString, const DeviceModel*> map;
        for (const DeviceModel& model : deviceModels()) {
            for (const QString& c : model.modelCodes)
                map.insert(c, &model);
        }
        return map;
    }();
    return byCode.value(code, nullptr);
}

}  // namespace

QStringList typeIdentifiersForTag(const QString& tagClass, const QString& tag,
                                  const QString& conformingTo) {
    if (tagClass != kDeviceModelCodeTagClass) return {};
    if (!conformingTo.isEmpty() && conformingTo != kPublicDeviceType) return {};
    const DeviceModel* model = modelForCode(tag);
    if (!model) return {};
    QStringList identifiers{model->typeIdentifier};
    for (const QString& colour : model->colours) {
        identifiers.append(model->typeIdentifier + u'-' + colour);
    }
    return identifiers;
}

QString preferredTypeIdentifierForTag(const QString& tagClass, const QString& tag) {
    if (tagClass == kDeviceModelCodeTagClass) {
        if (const DeviceModel* model = modelForCode(tag)) return model->typeIdentifier;
    }
    return QStringLiteral("dyn.") + QString::fromLatin1((tagClass + u':' + tag).toUtf8().toHex());
}

QString iconForTypeIdentifier(const QString& typeIdentifier) {
    for (const DeviceModel& model : deviceModels()) {
        if (typeIdentifier == model.typeIdentifier ||
            (typeIdentifier.startsWith(model.typeIdentifier + u'-') &&
             model.colours.contains(typeIdentifier.mid(model.typeIdentifier.size() + 1)))) {
            return model.icon;
        }
    }
    return QString();
}

QString iconForFileTypeCode(const QString& code) {
    if (code == QStringLiteral("APPL")) return QStringLiteral("application-x-executable");
    return QStringLiteral("text-x-generic");
}

}  // namespace platform
