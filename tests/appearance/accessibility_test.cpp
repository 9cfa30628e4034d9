#include <gtest/gtest.h>
#include <QAccessible>
#include <QSignalSpy>

#include "appearance/kp_custom_window_button_view.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/tg_switch.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/support/fixture_home.h"
#include "tools/gallery/gallery_view.h"

// Screen readers and the end-to-end tests (through AT-SPI) find and press the kit's
// controls by accessible name and role.
namespace {

QAccessibleInterface* accessibleOf(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

void press(QWidget* widget) {
    accessibleOf(widget)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

TEST(AccessibilityTest, WindowButtonsAreNamedPushButtonsThatPressLikeAClick) {
    KPYosemiteWindow window;
    window.resize(300, 200);
    window.show();
    const QList<std::pair<KPWindowButton::Kind, QString>> names = {
        {KPWindowButton::Close, "Close"},
        {KPWindowButton::Minimize, "Minimize"},
        {KPWindowButton::Zoom, "Zoom"}};
    for (const auto& [kind, name] : names) {
        QAccessibleInterface* button = accessibleOf(window.standardWindowButton(kind));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(QAccessible::Name), name);
        EXPECT_EQ(button->role(), QAccessible::Button);
        ASSERT_NE(button->actionInterface(), nullptr);
        EXPECT_TRUE(button->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    }
    // The replicas that stand in for them are named alike.
    auto* replicas = new KPCustomWindowButtonView(window.actualContentView());
    EXPECT_EQ(accessibleOf(replicas->buttons()[1])->text(QAccessible::Name), "Minimize");

    press(window.standardWindowButton(KPWindowButton::Zoom));
    EXPECT_TRUE(waitUntil([&] { return window.isMaximized(); }));
    press(replicas->buttons()[KPWindowButton::Close]);
    EXPECT_TRUE(waitUntil([&] { return !window.isVisible(); }));
}

// Every control a person can operate in the gallery, which shows each of the kit's.
TEST(AccessibilityTest, EveryControlOfTheGalleryHasANameARoleAndPresses) {
    useTheme("SWLightTheme");
    GalleryView gallery;
    QList<QWidget*> controls;
    for (QAbstractButton* button : gallery.findChildren<QAbstractButton*>())
        controls.append(button);
    for (TGSwitch* control : gallery.findChildren<TGSwitch*>())
        controls.append(control);
    ASSERT_GT(controls.size(), 40);
    for (QWidget* control : controls) {
        QAccessibleInterface* accessible = accessibleOf(control);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
            << control->metaObject()->className();
        EXPECT_TRUE(accessible->role() == QAccessible::Button ||
                    accessible->role() == QAccessible::CheckBox)
            << control->metaObject()->className();
    }
    auto* button = gallery.findChild<KPYosemiteButton*>();
    EXPECT_EQ(accessibleOf(button)->text(QAccessible::Name), "Remove Files");
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    press(button);
    EXPECT_TRUE(waitUntil([&] { return clicked.count() == 1; }));
}

}  // namespace
