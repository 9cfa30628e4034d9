#include <gtest/gtest.h>
#include <QFile>
#include <QSignalSpy>

#include "base/sw_user_defaults.h"

namespace {

// A second settings class over the application's own file.
class PlainDefaults : public HXUserDefaults {
public:
    static PlainDefaults& standardUserDefaults() { return sharedInstance<PlainDefaults>(); }
    using HXUserDefaults::integerValue;

protected:
    PlainDefaults() = default;
    friend class HXUserDefaults;
};

// A settings class with a suite of its own.
class SuiteDefaults : public HXUserDefaults {
public:
    static SuiteDefaults& standardUserDefaults() { return sharedInstance<SuiteDefaults>(); }
    qint64 volume() const { return integerValue("volume"); }
    void setVolume(qint64 volume) { setIntegerValue("volume", volume); }

protected:
    SuiteDefaults() = default;
    QVariantMap setupDefaults() const override { return {{"volume", 3}}; }
    QString suiteName() const override { return "org.example.shared"; }
    friend class HXUserDefaults;
};

class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        defaults().userDefaults().clear();
        defaults().userDefaults().sync();
        SuiteDefaults::standardUserDefaults().userDefaults().clear();
    }
    static SWUserDefaults& defaults() { return SWUserDefaults::standardUserDefaults(); }
    static QByteArray fileContents(const QSettings& store) {
        QFile file(store.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(UserDefaultsTest, FreshInstallationReadsRegisteredDefaultsWithoutWritingThem) {
    EXPECT_EQ(defaults().theme(), SWUserDefaults::FollowSystem);
    EXPECT_TRUE(defaults().playNotificationSound());
    EXPECT_FALSE(defaults().selectedStates().has_value());
    EXPECT_TRUE(defaults().prefix().isEmpty());
    EXPECT_TRUE(defaults().userDefaults().allKeys().isEmpty());
    EXPECT_FALSE(fileContents(defaults().userDefaults()).contains("theme"));
}

TEST_F(UserDefaultsTest, EveryWriteNotifiesOnceAfterTheValueIsStored) {
    QList<qint64> seen;
    QStringList keys;
    auto connection =
        QObject::connect(&defaults(), &HXUserDefaults::valueChanged, [&](const QString& key) {
            keys << key;
            seen << defaults().theme();
        });
    defaults().setTheme(SWUserDefaults::Dark);
    EXPECT_EQ(keys, QStringList{"theme"});
    EXPECT_EQ(seen, QList<qint64>{SWUserDefaults::Dark});

    defaults().setTheme(SWUserDefaults::Dark);
    defaults().setPlayNotificationSound(false);
    QObject::disconnect(connection);
    EXPECT_EQ(keys, (QStringList{"theme", "theme", "playNotificationSound"}));
    EXPECT_FALSE(defaults().playNotificationSound());
}

TEST_F(UserDefaultsTest, ValuesAreOnDiskAtOnceAndReadBackWithTheirTypes) {
    defaults().setTheme(SWUserDefaults::Light);
    defaults().setPlayNotificationSound(false);
    defaults().setSelectedStates(QVariantMap{{"application-caches", true}, {"trash", false}});

    QSettings reread(defaults().userDefaults().fileName(), QSettings::IniFormat);
    EXPECT_EQ(reread.value("theme").toLongLong(), 0);
    EXPECT_FALSE(reread.value("playNotificationSound").toBool());
    const QVariantMap states = reread.value("selectedStates").toMap();
    EXPECT_TRUE(states.value("application-caches").toBool());
    EXPECT_FALSE(states.value("trash").toBool());
    EXPECT_FALSE(states.contains("large-files"));
}

TEST_F(UserDefaultsTest, SettingNoSelectedStatesRemovesTheKey) {
    defaults().setSelectedStates(QVariantMap{{"trash", true}});
    ASSERT_TRUE(defaults().userDefaults().contains("selectedStates"));
    QSignalSpy spy(&defaults(), &HXUserDefaults::valueChanged);

    defaults().setSelectedStates(std::nullopt);

    EXPECT_FALSE(defaults().userDefaults().contains("selectedStates"));
    EXPECT_FALSE(defaults().selectedStates().has_value());
    EXPECT_FALSE(fileContents(defaults().userDefaults()).contains("selectedStates"));
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(UserDefaultsTest, OneSharedInstancePerSettingsClass) {
    EXPECT_EQ(&SWUserDefaults::standardUserDefaults(), &SWUserDefaults::standardUserDefaults());
    EXPECT_NE(static_cast<HXUserDefaults*>(&SWUserDefaults::standardUserDefaults()),
              static_cast<HXUserDefaults*>(&PlainDefaults::standardUserDefaults()));
    // Both read the same application file.
    defaults().setTheme(SWUserDefaults::Dark);
    PlainDefaults::standardUserDefaults().userDefaults().sync();
    EXPECT_EQ(PlainDefaults::standardUserDefaults().integerValue("theme"), 1);
}

TEST_F(UserDefaultsTest, SuiteKeysCarryTheSuiteNameAndLiveInTheSuitesFile) {
    SuiteDefaults& suite = SuiteDefaults::standardUserDefaults();
    EXPECT_EQ(suite.prefix(), "org.example.shared");
    EXPECT_EQ(suite.defaultsKeyForPropertyNamed("volume"), "org.example.shared.volume");
    EXPECT_EQ(suite.volume(), 3);

    QSignalSpy spy(&suite, &HXUserDefaults::valueChanged);
    suite.setVolume(7);

    EXPECT_EQ(suite.volume(), 7);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), "org.example.shared.volume");
    EXPECT_NE(suite.userDefaults().fileName(), defaults().userDefaults().fileName());
    EXPECT_TRUE(suite.userDefaults().fileName().endsWith("/Sweepwell/org.example.shared.conf"));
    EXPECT_EQ(QSettings(suite.userDefaults().fileName(), QSettings::IniFormat)
                  .value("org.example.shared.volume")
                  .toLongLong(),
              7);
    EXPECT_FALSE(defaults().userDefaults().contains("org.example.shared.volume"));
}

}  // namespace
