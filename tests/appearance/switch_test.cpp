#include <gtest/gtest.h>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QSignalSpy>
#include <QTest>

#include "appearance/kp_theme_manager.h"
#include "appearance/tg_switch.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/support/fixture_home.h"

namespace {

const QColor kGreen = rgb(0.27, 0.86, 0.36);

class SwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        control.setFixedSize(38, 22);
        control.show();
    }
    void press(QPoint at) { QTest::mousePress(&control, Qt::LeftButton, {}, at); }
    void drag(QPoint to) { QTest::mouseMove(&control, to); }
    void release(QPoint at) { QTest::mouseRelease(&control, Qt::LeftButton, {}, at); }

    TGSwitch control;
    QSignalSpy activated{&control, &TGSwitch::activated};
    QSignalSpy changed{&control, &TGSwitch::checkedChanged};
    const QPoint left{5, 11};
    const QPoint right{33, 11};
};

TEST_F(SwitchTest, DefaultColoursOfTheOffAndOnStates) {
    TGSwitch::Layers off = control.layers();
    EXPECT_EQ(off.trackBackground.alpha(), 0);
    EXPECT_TRUE(sameColor(off.trackBorder, rgb(0, 0, 0, 0.2)));
    EXPECT_EQ(off.knob.x(), 1);
    EXPECT_EQ(off.opacity, 1.0);

    control.setChecked(true, false);
    const TGSwitch::Layers on = control.layers();
    EXPECT_TRUE(sameColor(on.trackBackground, kGreen));
    EXPECT_TRUE(sameColor(on.trackBorder, kGreen));
    EXPECT_DOUBLE_EQ(on.knob.right(), 37);
    EXPECT_DOUBLE_EQ(on.knob.height(), 20);
    EXPECT_DOUBLE_EQ(on.trackCornerRadius, 11);
    // Drawn as it says.
    EXPECT_TRUE(near(render(control).pixel(6, 11), kGreen.rgba(), 2));
}

TEST_F(SwitchTest, ADisabledSwitchIsHalfOpaqueAndIgnoresTheMouse) {
    control.setEnabled(false);
    EXPECT_EQ(control.layers().opacity, 0.5);
    press(left);
    drag(right);
    release(right);
    EXPECT_FALSE(control.checked());
    EXPECT_FALSE(control.active());
    EXPECT_EQ(activated.count(), 0);
}

TEST_F(SwitchTest, AClickFlipsTheSwitchAndSendsTheActionOnce) {
    const qreal restingWidth = control.layers().knob.width();
    press(left);
    EXPECT_TRUE(control.active());
    EXPECT_GT(control.layers().knob.width(), restingWidth);
    EXPECT_DOUBLE_EQ(control.layers().knob.width(), 36 / 1.38);
    release(left);
    EXPECT_TRUE(control.checked());
    EXPECT_FALSE(control.active());
    EXPECT_DOUBLE_EQ(control.layers().knob.width(), restingWidth);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(changed.count(), 1);

    press(right);
    release(right);
    EXPECT_FALSE(control.checked());
    EXPECT_EQ(activated.count(), 2);
}

TEST_F(SwitchTest, DraggingMovesTheKnobButEveryReleaseFlipsTheSwitch) {
    press(left);
    drag(right);
    EXPECT_TRUE(control.dragged());
    EXPECT_TRUE(control.draggingTowardsOn());
    EXPECT_TRUE(sameColor(control.layers().trackBackground, kGreen));
    EXPECT_FALSE(control.checked());
    release(right);
    EXPECT_TRUE(control.checked());
    EXPECT_FALSE(control.dragged());

    // From on, dragged to the right half and back to the left: off, as any release.
    control.setChecked(false, false);
    press(left);
    drag(right);
    drag(left);
    EXPECT_FALSE(control.draggingTowardsOn());
    EXPECT_EQ(control.layers().knob.x(), 1);
    release(left);
    EXPECT_TRUE(control.checked());
    EXPECT_EQ(activated.count(), 2);
}

TEST_F(SwitchTest, SettingTheSameValueTellsNobody) {
    control.setChecked(false);
    EXPECT_EQ(changed.count(), 0);
    control.setChecked(true);
    control.setChecked(true);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(activated.count(), 0);
}

TEST(SwitchKeyboardTest, KeysActOnlyOnTheFocusedSwitch) {
    QWidget window;
    TGSwitch first(&window);
    TGSwitch second(&window);
    second.move(0, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));
    first.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(first.hasFocus());
    QSignalSpy firstActivated(&first, &TGSwitch::activated);
    QSignalSpy secondActivated(&second, &TGSwitch::activated);

    QTest::keyClick(&second, Qt::Key_Space);
    EXPECT_FALSE(second.checked());
    EXPECT_EQ(secondActivated.count(), 0);

    QTest::keyClick(&first, Qt::Key_Space);
    EXPECT_TRUE(first.checked());
    QTest::keyClick(&first, Qt::Key_Right);
    EXPECT_TRUE(first.checked());
    QTest::keyClick(&first, Qt::Key_Left);
    EXPECT_FALSE(first.checked());
    QTest::keyClick(&first, Qt::Key_Left);
    EXPECT_EQ(firstActivated.count(), 2);
}

TEST_F(SwitchTest, AssistiveTechnologySeesACheckBox) {
    control.setAccessibleName("Application Caches");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Application Caches");
    EXPECT_EQ(accessible->role(), QAccessible::CheckBox);
    EXPECT_EQ(accessible->childCount(), 0);
    EXPECT_FALSE(accessible->state().checked);

    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(control.checked());
    EXPECT_TRUE(accessible->state().checked);
    EXPECT_EQ(activated.count(), 1);

    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    value->setCurrentValue(1);
    EXPECT_EQ(activated.count(), 1);
    value->setCurrentValue(0);
    EXPECT_FALSE(control.checked());
    EXPECT_EQ(activated.count(), 2);
}

TEST(ThemableSwitchTest, TheOffBorderFollowsTheTheme) {
    useTheme("SWLightTheme");
    SWThemableTGSwitch control;
    EXPECT_TRUE(control.isConfigured());
    control.setDisabledBorderColorKey("switchBorderColor");
    EXPECT_TRUE(sameColor(control.layers().trackBorder, rgb(0, 0, 0, 0.3)));
    useTheme("SWDarkTheme");
    EXPECT_TRUE(sameColor(control.layers().trackBorder, rgb(1, 1, 1, 0.5)));
    // A key without a value restores the default border.
    RecordedLog log;
    control.setDisabledBorderColorKey("noSuchColor");
    EXPECT_TRUE(sameColor(control.layers().trackBorder, rgb(0, 0, 0, 0.2)));
    useTheme("SWLightTheme");
}

}  // namespace
