#include "app/kp_store_helper.h"

#include <QMessageBox>
#include <QSettings>

#include "base/sw_user_defaults.h"

namespace {
QString& registeredFeed() {
    static QString feed;
    return feed;
}
}  // namespace

QUrl SUUpdater::feedURLForSecret(const QString& formattedSecret) {
    return QUrl(QString::fromLatin1(kFeedHost) + QLatin1String(kFeedPath) + formattedSecret);
}

void SUUpdater::registerFeedDefault(const QString& formattedSecret) {
    registeredFeed() = feedURLForSecret(formattedSecret).toString();
}

QUrl SUUpdater::feedURL() {
    return QUrl(SWUserDefaults::standardUserDefaults()
                    .userDefaults()
                    .value(QLatin1String(kFeedURLKey), registeredFeed())
                    .toString());
}

void SUUpdater::checkForUpdates(QWidget* parent) {
    auto* box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Check for Updates"),
                        QString::fromLatin1(kPackageManagerMessage), QMessageBox::Ok, parent);
    box->setInformativeText(QString::fromLatin1(kPackageManagerInformation));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

KPStoreHelper& KPStoreHelper::sharedHelper() {
    static KPStoreHelper helper;
    return helper;
}

void KPStoreHelper::checkForUpdates(QWidget* parent) {
    if (updater_) updater_->checkForUpdates(parent);
}
