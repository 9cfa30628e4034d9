#include <gtest/gtest.h>
#include <QApplication>
#include <QDBusMessage>
#include <QThread>

#include "appearance/kp_theme_manager.h"
#include "appearance/rl_helpers.h"
#include "appearance/theme_selection.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/appearance/private_bus.h"
#include "tests/support/fixture_home.h"

namespace {

constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kSettingsInterface[] = "org.freedesktop.portal.Settings";

QPalette palette(Qt::GlobalColor window, Qt::GlobalColor text) {
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    return p;
}

QDBusConnection offline() {
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                         QStringLiteral("offline"));
}

}  // namespace

// Plays xdg-desktop-portal's Settings interface. It answers on a thread of its own,
// since the program reads the scheme with a blocking call from the main thread.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    std::atomic<uint> scheme{1};

public slots:
    QDBusVariant Read(const QString& group, const QString& key) {
        if (group != "org.freedesktop.appearance" || key != "color-scheme") return {};
        // The portal wraps the value in a second variant.
        return QDBusVariant(QVariant::fromValue(QDBusVariant(uint(scheme))));
    }
};

namespace {

TEST(RLHelpersTest, WithoutAPortalThePaletteDecides) {
    DesktopColorScheme scheme(offline());
    EXPECT_FALSE(scheme.prefersDark().has_value());
    EXPECT_TRUE(RLHelpers::isDarkMode(scheme, palette(Qt::black, Qt::white)));
    EXPECT_FALSE(RLHelpers::isDarkMode(scheme, palette(Qt::white, Qt::black)));
}

TEST(DesktopColorSchemeTest, UnwrapsNestedVariants) {
    const auto wrap = [](const QVariant& v) { return QVariant::fromValue(QDBusVariant(v)); };
    EXPECT_EQ(DesktopColorScheme::prefersDarkFromValue(wrap(wrap(1u))), true);
    EXPECT_EQ(DesktopColorScheme::prefersDarkFromValue(wrap(2u)), false);
    EXPECT_EQ(DesktopColorScheme::prefersDarkFromValue(0u), false);
    EXPECT_FALSE(DesktopColorScheme::prefersDarkFromValue(wrap("dark")).has_value());
    EXPECT_FALSE(DesktopColorScheme::prefersDarkFromValue(QVariant()).has_value());
}

class ThemeSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        useTheme("SWLightTheme");
        defaults.setTheme(SWUserDefaults::Light);
        QApplication::processEvents();
    }
    void TearDown() override {
        defaults.userDefaults().clear();
        QApplication::setPalette(QPalette());
    }
    static QString current() { return KPThemeManager::sharedManager().currentThemeName(); }

    SWUserDefaults& defaults = SWUserDefaults::standardUserDefaults();
    DesktopColorScheme scheme{offline()};
    SWThemeSelection selection{defaults, scheme};
};

TEST_F(ThemeSelectionTest, TheSettingPicksTheThemeOnceAfterItChanges) {
    ThemeUpdateCounter counter;
    defaults.setTheme(SWUserDefaults::Dark);
    // Picked on the next turn of the event loop, not inside the write.
    EXPECT_EQ(current(), "SWLightTheme");
    ASSERT_TRUE(waitUntil([] { return current() == "SWDarkTheme"; }));
    EXPECT_EQ(counter.count(), 1);

    defaults.setTheme(SWUserDefaults::Dark);
    QApplication::processEvents();
    EXPECT_EQ(counter.count(), 1);
}

TEST_F(ThemeSelectionTest, FollowingTheSystemReadsThePaletteWithoutAPortal) {
    QApplication::setPalette(palette(Qt::black, Qt::white));
    defaults.setTheme(SWUserDefaults::FollowSystem);
    selection.updateTheme();
    EXPECT_EQ(current(), "SWDarkTheme");

    QApplication::setPalette(palette(Qt::white, Qt::black));
    selection.updateTheme();
    EXPECT_EQ(current(), "SWLightTheme");
}

TEST_F(ThemeSelectionTest, ADamagedSettingFollowsTheSystem) {
    QApplication::setPalette(palette(Qt::black, Qt::white));
    for (qint64 damaged : {qint64(-1), qint64(7)}) {
        useTheme("SWLightTheme");
        defaults.setTheme(damaged);
        selection.updateTheme();
        EXPECT_EQ(current(), "SWDarkTheme");
    }
}

TEST_F(ThemeSelectionTest, APaletteChangeIsFollowedAfterItSettles) {
    defaults.setTheme(SWUserDefaults::FollowSystem);
    QApplication::processEvents();
    ASSERT_EQ(current(), "SWLightTheme");
    QApplication::setPalette(palette(Qt::black, Qt::white));
    QApplication::processEvents();
    EXPECT_EQ(current(), "SWLightTheme");
    EXPECT_TRUE(waitUntil([] { return current() == "SWDarkTheme"; }, 5000));
}

TEST(PortalTest, ThePortalsSchemeAndItsChangesPickTheTheme) {
    PrivateBus bus;
    if (!bus.isRunning()) GTEST_SKIP() << "dbus-daemon is not installed";
    QDBusConnection portalBus = bus.connect("portal");
    QThread portalThread;
    FakePortal portal;
    portal.moveToThread(&portalThread);
    portalThread.start();
    ASSERT_TRUE(portalBus.registerService(kPortalService));
    ASSERT_TRUE(portalBus.registerObject(kPortalPath, &portal, QDBusConnection::ExportAllSlots));

    useTheme("SWLightTheme");
    SWUserDefaults& defaults = SWUserDefaults::standardUserDefaults();
    defaults.setTheme(SWUserDefaults::FollowSystem);
    // A dark palette, to show the portal's answer wins over it.
    QApplication::setPalette(palette(Qt::white, Qt::black));
    DesktopColorScheme scheme(bus.connect("program"));
    SWThemeSelection selection(defaults, scheme);
    EXPECT_EQ(scheme.prefersDark(), true);
    selection.updateTheme();
    EXPECT_EQ(KPThemeManager::sharedManager().currentThemeName(), "SWDarkTheme");

    QDBusMessage changed = QDBusMessage::createSignal(kPortalPath, kSettingsInterface,
                                                      QStringLiteral("SettingChanged"));
    changed << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
            << QVariant::fromValue(QDBusVariant(2u));
    // The bus applies a new listener's match rule and owner look-up asynchronously, so the
    // portal keeps announcing the change, as a real one would on every later change.
    EXPECT_TRUE(waitUntil([&] {
        portalBus.send(changed);
        return KPThemeManager::sharedManager().currentThemeName() == "SWLightTheme";
    }));
    EXPECT_EQ(scheme.prefersDark(), false);

    portalBus.unregisterObject(kPortalPath);
    portalThread.quit();
    portalThread.wait();
    defaults.userDefaults().clear();
    QApplication::setPalette(QPalette());
}

}  // namespace

#include "theme_selection_test.moc"
