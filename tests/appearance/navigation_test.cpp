#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "appearance/kp_navigation_controller.h"
#include "tests/appearance/chrome_screens.h"
#include "tests/support/fixture_home.h"
#include "tests/support/recording_system_log.h"

namespace {

using Screen = KPNavigationController::Screen;

std::shared_ptr<ChromeTestScreen> makeScreen() {
    return KPViewController::controller<ChromeTestScreen>();
}

// A window with a container of 400 x 300 and a stack shown in it.
class NavigationTest : public ::testing::Test {
protected:
    NavigationTest() {
        window.resize(400, 300);
        container = new QWidget(&window);
        container->resize(400, 300);
        navigation.setView(container);
        navigation.setWindow(&window);
        window.show();
    }

    // Runs the main loop until the deferred step and any slide are done.
    void settle() {
        QApplication::processEvents();
        ASSERT_TRUE(waitUntil([&] { return navigation.transition() == nullptr; }));
    }

    QWidget window;
    QWidget* container;
    KPNavigationController navigation;
};

TEST(ViewControllerTest, LoadsTheFormNamedAfterItsClassOrItsSuperclass) {
    EXPECT_EQ(KPViewController::nibName(&ChromeTestScreen::staticMetaObject), "ChromeTestScreen");
    EXPECT_EQ(KPViewController::nibName(&ChromeTestSubScreen::staticMetaObject),
              "ChromeTestScreen");
    // Only the direct superclass is consulted.
    EXPECT_TRUE(KPViewController::nibName(&ChromeTestGrandchildScreen::staticMetaObject).isNull());

    const auto sub = KPViewController::controller<ChromeTestSubScreen>();
    ASSERT_NE(sub->view()->findChild<QLabel*>("titleLabel"), nullptr);
    EXPECT_EQ(sub->events, QStringList{"load"});
    EXPECT_TRUE(sub->kp_viewHasLoaded());

    const auto plain = KPViewController::controller<ChromeTestGrandchildScreen>();
    EXPECT_FALSE(plain->kp_viewHasLoaded());
    EXPECT_TRUE(plain->events.isEmpty());
}

TEST(ViewControllerTest, SlotsNamedAfterWidgetsAreTheirActions) {
    const auto screen = makeScreen();
    screen->view()->findChild<QPushButton*>("nextButton")->click();
    EXPECT_EQ(screen->actions, 1);
    emit screen->view()->findChild<QLabel*>("titleLabel")->linkActivated(QStringLiteral("x"));
    EXPECT_EQ(screen->actions, 1);
}

TEST_F(NavigationTest, FirstScreenAppearsAtOnceWithoutSlide) {
    const auto root = makeScreen();
    navigation.setViewControllers({root}, true);
    EXPECT_EQ(navigation.transition(), nullptr);
    EXPECT_EQ(root->events, (QStringList{"load", "willAppear", "didAppear"}));
    EXPECT_TRUE(root->kp_isVisible());
    EXPECT_EQ(root->view()->parentWidget(), container);
    EXPECT_EQ(root->view()->geometry(), container->rect());
    EXPECT_EQ(root->parentWindow(), &window);
}

TEST_F(NavigationTest,
       OnlyAScreenWishingForMoreRoomThanTheContainerHasIsFittedAndMinimumSizesStay) {
    window.setMinimumSize(200, 150);
    const auto root = makeScreen();
    navigation.setViewControllers({root}, false);
    EXPECT_EQ(window.minimumSize(), QSize(200, 150));
    EXPECT_EQ(window.size(), QSize(400, 300));

    const auto small = makeScreen();
    small->setViewDefaultSize(QSizeF(300, 200));
    navigation.pushViewController(small, false);
    settle();
    EXPECT_EQ(window.size(), QSize(400, 300));

    const auto large = makeScreen();
    large->setViewDefaultSize(QSizeF(500, 200));
    navigation.pushViewController(large, false);
    settle();
    EXPECT_EQ(window.size(), QSize(500, 200));
    EXPECT_EQ(window.minimumSize(), QSize(200, 150));
}

TEST_F(NavigationTest, PushSlidesFromTheRightAndFlipsVisibilityOnlyAtTheEnd) {
    const auto root = makeScreen();
    const auto next = makeScreen();
    navigation.setViewControllers({root}, false);
    navigation.pushViewController(next, true);
    EXPECT_EQ(navigation.viewControllers().size(), 1) << "pushes wait for the main loop";
    QApplication::processEvents();
    ASSERT_NE(navigation.transition(), nullptr);
    EXPECT_EQ(navigation.transition()->duration(), KPNavigationController::kTransitionMilliseconds);
    EXPECT_GT(next->view()->x(), 0);
    EXPECT_TRUE(root->kp_isVisible());
    EXPECT_FALSE(next->kp_isVisible());
    EXPECT_EQ(navigation.currentViewController(), next);
    settle();
    EXPECT_FALSE(root->kp_isVisible());
    EXPECT_TRUE(next->kp_isVisible());
    EXPECT_EQ(next->view()->pos(), QPoint(0, 0));
    EXPECT_FALSE(root->view()->isVisible());
    EXPECT_EQ(root->events.mid(3), (QStringList{"willDisappear", "didDisappear"}));
    EXPECT_EQ(next->events, (QStringList{"load", "willAppear", "didAppear"}));
    EXPECT_EQ(next->navigationController(), &navigation);
}

TEST_F(NavigationTest, PopAnswersTheNewTopAtOnceAndSlidesFromTheLeftLater) {
    const auto root = makeScreen();
    const auto next = makeScreen();
    navigation.setViewControllers({root, next}, false);
    ASSERT_EQ(navigation.currentViewController(), next);

    EXPECT_EQ(navigation.popViewControllerAnimated(true), root);
    EXPECT_EQ(navigation.viewControllers(), QList<Screen>{root});
    EXPECT_EQ(navigation.currentViewController(), next) << "the view changes on the next pass";
    QApplication::processEvents();
    ASSERT_NE(navigation.transition(), nullptr);
    EXPECT_LT(root->view()->x(), 0);
    settle();
    EXPECT_TRUE(root->kp_isVisible());
    EXPECT_FALSE(next->kp_isVisible());
}

TEST_F(NavigationTest, RootMovesLeaveOnlyTheRootAndSlideTheirOwnWay) {
    const auto root = makeScreen();
    navigation.setViewControllers({root, makeScreen(), makeScreen()}, false);

    EXPECT_EQ(navigation.pushToRootViewControllerAnimated(true), root);
    QApplication::processEvents();
    EXPECT_EQ(navigation.viewControllers(), QList<Screen>{root});
    ASSERT_NE(navigation.transition(), nullptr);
    EXPECT_GT(root->view()->x(), 0) << "a push to the root comes in from the right";
    settle();

    navigation.setViewControllers({root, makeScreen()}, false);
    EXPECT_EQ(navigation.popToRootViewControllerAnimated(true), root);
    QApplication::processEvents();
    ASSERT_NE(navigation.transition(), nullptr);
    EXPECT_LT(root->view()->x(), 0);
    settle();
    EXPECT_EQ(navigation.currentViewController(), root);
}

TEST_F(NavigationTest, PushesAndPopsKeepTheirOrder) {
    const auto root = makeScreen();
    const auto a = makeScreen();
    const auto b = makeScreen();
    navigation.setViewControllers({root}, false);
    navigation.pushViewController(a, false);
    navigation.pushViewController(b, false);
    settle();
    EXPECT_EQ(navigation.viewControllers(), (QList<Screen>{root, a, b}));
    EXPECT_EQ(navigation.currentViewController(), b);
    navigation.popToController(root, true);
    EXPECT_EQ(navigation.viewControllers(), QList<Screen>{root});
    settle();
    EXPECT_EQ(navigation.currentViewController(), root);
    EXPECT_TRUE(root->kp_isVisible());
    EXPECT_FALSE(a->kp_isVisible());
    EXPECT_FALSE(b->kp_isVisible());
}

TEST_F(NavigationTest, GoingBackToTheTopOrAStrangerIsLoggedAndChangesNothing) {
    RecordedLog log;
    const auto root = makeScreen();
    const auto top = makeScreen();
    navigation.setViewControllers({root, top}, false);

    navigation.popToController(top, true);
    const auto stranger = makeScreen();
    navigation.popToController(stranger, true);
    settle();
    EXPECT_EQ(navigation.viewControllers(), (QList<Screen>{root, top}));
    EXPECT_EQ(navigation.currentViewController(), top);
    const QStringList lines = log.lines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "View controller is already the top item");
    EXPECT_EQ(lines[1], "Could not find in stack: " + stranger->description());
    EXPECT_EQ(lines[2],
              QStringLiteral("Stack: (%1, %2)").arg(root->description(), top->description()));
}

TEST_F(NavigationTest, VisibilityOfTheWholeStackFollowsTheController) {
    const auto root = makeScreen();
    const auto top = makeScreen();
    navigation.setViewControllers({root, top}, false);
    navigation.setIsVisible(false);
    EXPECT_FALSE(root->kp_isVisible());
    EXPECT_FALSE(top->kp_isVisible());
    navigation.setIsVisible(true);
    EXPECT_TRUE(root->kp_isVisible());
}

TEST_F(NavigationTest, ShownScreenFollowsTheContainerSize) {
    const auto root = makeScreen();
    navigation.setViewControllers({root}, false);
    container->resize(500, 350);
    EXPECT_EQ(root->view()->size(), QSize(500, 350));
}

TEST_F(NavigationTest, ScreenThatAsksForMoreRoomGrowsTheWindowAroundItsCentre) {
    const auto root = makeScreen();
    root->setViewDefaultSize(QSizeF(500, 300));
    const QRect before = window.geometry();
    navigation.setViewControllers({root}, false);
    EXPECT_EQ(window.geometry(), QRect(before.x() - 50, before.y(), 500, 300));
}

}  // namespace
