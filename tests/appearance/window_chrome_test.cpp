#include <gtest/gtest.h>
#include <QApplication>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "appearance/kp_custom_window_button_view.h"
#include "appearance/kp_popover_view_controller.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_view.h"
#include "appearance/kp_window_geometry.h"
#include "appearance/sw_popover_window_controller.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/support/fixture_home.h"

namespace {

TEST(WindowGeometryTest, ContentSizeChangesKeepTheTopEdgeAndTheHorizontalCentre) {
    KPYosemiteWindow window;
    window.setGeometry(100, 100, 400, 300);
    EXPECT_EQ(kp_frameForContentSize(&window, QSizeF(400, 300), 0), QRect(100, 100, 400, 300));
    EXPECT_EQ(kp_frameForContentSize(&window, QSizeF(500, 350), 0), QRect(50, 100, 500, 350));
    EXPECT_EQ(kp_frameForContentSize(&window, QSizeF(300, 200), 0), QRect(150, 100, 300, 200));
    // A border of the window's own adds to the height only.
    EXPECT_EQ(kp_frameForContentSize(&window, QSizeF(400, 300), 10), QRect(100, 100, 400, 310));
    kp_setContentSize(&window, QSizeF(500, 350), false);
    EXPECT_EQ(window.geometry(), QRect(50, 100, 500, 350));
    EXPECT_EQ(kp_contentSize(&window), QSizeF(500, 350 - 37));
}

TEST(WindowChromeTest, ContentReachesTheTopEdgeUnderButtonsThatStayClickable) {
    KPYosemiteWindow window;
    window.resize(320, 200);
    window.show();
    EXPECT_EQ(window.contentView()->geometry(), QRect(0, 0, 320, 200));
    EXPECT_EQ(window.actualContentView()->geometry(), QRect(0, 0, 320, 200));
    auto* header = new QWidget;
    window.setActualContentView(header);
    window.resize(400, 260);
    EXPECT_EQ(header->geometry(), QRect(0, 0, 400, 260));
    for (const auto kind :
         {KPWindowButton::Close, KPWindowButton::Minimize, KPWindowButton::Zoom}) {
        KPWindowButton* button = window.standardWindowButton(kind);
        const QPoint centre = button->geometry().center();
        EXPECT_EQ(window.contentView()->childAt(centre), button);
    }
}

// The content fills the header with a colour of its own; the separator lies on top, in
// the header's last row of device pixels, from edge to edge.
TEST(WindowChromeTest, TheHeaderEndsInASeparatorOneDevicePixelHigh) {
    for (const char* theme : {"SWLightTheme", "SWDarkTheme"}) {
        useTheme(theme);
        const QRgb separator =
            KPThemeManager::sharedManager().colorForKey("windowHeaderSeparatorColor").rgba();
        KPYosemiteWindow window;
        window.resize(300, 120);
        auto* content = new KPView;
        content->setBackgroundColor(Qt::red);
        window.setActualContentView(content);
        for (const int ratio : {1, 2}) {
            const QImage image = render(window, ratio);
            const int row = int(kKPWindowHeaderHeight) * ratio - 1;
            for (const int x : {0, 150 * ratio, 300 * ratio - 1}) {
                EXPECT_EQ(image.pixel(x, row), separator) << theme << " x" << ratio << " " << x;
                EXPECT_EQ(image.pixel(x, row - 1), QColor(Qt::red).rgba());
                EXPECT_EQ(image.pixel(x, row + 1), QColor(Qt::red).rgba());
            }
        }
    }
    useTheme("SWLightTheme");
}

// Where the title lands in the window.
QRectF titleFrame(KPYosemiteWindow& window) {
    QLabel* label = window.actualTitleLabel();
    return QRectF(label->mapTo(&window, QPoint(0, 0)), label->size());
}

// A header laid out by the content, buttons on the left and a wider control on the right,
// must not pull the title off the window's centre.
TEST(WindowChromeTest, TheTitleIsCentredOnTheWindowAndElidedClearOfTheButtons) {
    KPYosemiteWindow window;
    window.resize(400, 200);
    window.setTitle(QStringLiteral("Sweepwell"));
    window.show();
    ASSERT_NE(window.actualTitleLabel(), nullptr) << "the window's own label";
    EXPECT_EQ(window.actualTitleLabel()->text(), QStringLiteral("Sweepwell"));
    EXPECT_NEAR(titleFrame(window).center().x(), 200, 1);

    auto* content = new QWidget;
    auto* header = new QHBoxLayout(content);
    header->addWidget(new KPCustomWindowButtonView);
    header->addStretch();
    auto* label = new QLabel;
    header->addWidget(label);
    header->addStretch();
    header->addWidget(new QPushButton(QStringLiteral("A wide control")));
    window.setActualContentView(content);
    window.setActualTitleLabel(label);
    QApplication::processEvents();
    ASSERT_EQ(label->window(), &window);
    EXPECT_EQ(label->text(), QStringLiteral("Sweepwell"));
    EXPECT_NEAR(titleFrame(window).center().x(), 200, 1);
    EXPECT_NEAR(titleFrame(window).center().y(), kKPWindowHeaderHeight / 2, 1);

    // A title set as on any window (a form's) is shown too, elided where room is short.
    window.setWindowTitle(QStringLiteral("Sweepwell window chrome, cleaning up"));
    window.resize(240, 200);
    EXPECT_TRUE(label->text().endsWith(QChar(0x2026))) << label->text().toStdString();
    EXPECT_GT(titleFrame(window).left(),
              window.standardWindowButton(KPWindowButton::Zoom)->geometry().right());
    EXPECT_NEAR(titleFrame(window).center().x(), 120, 1);
}

TEST(WindowChromeTest, ReplicaButtonsAreGreyUntilTheMouseIsOverThem) {
    KPYosemiteWindow window;
    auto* replicas = new KPCustomWindowButtonView(window.actualContentView());
    EXPECT_FALSE(window.standardWindowButton(KPWindowButton::Close)->isVisibleTo(&window));
    ASSERT_EQ(replicas->buttons().size(), 3);
    EXPECT_EQ(replicas->buttons()[1]->pos(), QPoint(20, 0));
    const auto covered = [&] {
        return std::all_of(replicas->buttons().begin(), replicas->buttons().end(),
                           [](KPWindowButton* b) { return b->isCovered(); });
    };
    EXPECT_TRUE(covered());
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(replicas, &enter);
    EXPECT_TRUE(replicas->mouseInside());
    EXPECT_TRUE(std::none_of(replicas->buttons().begin(), replicas->buttons().end(),
                             [](KPWindowButton* b) { return b->isCovered(); }));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(replicas, &leave);
    EXPECT_TRUE(covered());
}

class SwipeRecorder : public KPWindowController {
public:
    QStringList swipes;

protected:
    void didSwipeBack() override { swipes << "back"; }
    void didSwipeForward() override { swipes << "forward"; }
    friend class KPWindowController;
};

TEST(SwipeTest, TwoFingersMovingAtLeastAThirdOfThePadTogetherSwipe) {
    auto controller = KPWindowController::controller<SwipeRecorder>();
    const auto swipe = [&](QList<KPTouch> begin, QList<KPTouch> end) {
        controller->beginGesture(begin);
        controller->endGesture(end);
    };
    swipe({{1, 0.2}, {2, 0.3}}, {{1, 0.4}, {2, 0.5}});
    EXPECT_TRUE(controller->swipes.isEmpty()) << "ignored until asked for";

    controller->setWantsSwipeEvents(true);
    controller->beginGesture({});
    swipe({{1, 0.1}}, {{1, 0.9}});
    swipe({{1, 0.2}, {2, 0.3}}, {{1, 0.3}, {2, 0.4}});
    swipe({{1, 0.2}, {2, 0.3}}, {{1, 0.4}, {2, 0.5}});
    swipe({{1, 0.6}, {2, 0.7}}, {{1, 0.4}, {2, 0.5}});
    // A finger that was not there when the gesture began does not count.
    swipe({{1, 0.2}}, {{1, 0.6}, {3, 0.9}});
    EXPECT_EQ(controller->swipes, (QStringList{"forward", "back"}));
    // The touches are forgotten at the end of each gesture.
    controller->endGesture({{1, 0.9}, {2, 0.9}});
    EXPECT_EQ(controller->swipes.size(), 2);
}

TEST(PopoverFramesTest, FramesAreCentredOnTheParent) {
    auto popover = KPViewController::controller<KPPopoverViewController>();
    popover->setView(new QWidget);
    popover->view()->resize(100, 50);
    const QRectF parent(0, 0, 300, 200);
    EXPECT_EQ(popover->initialPopoverFrameForParentFrame(parent), QRect(100, -50, 100, 50));
    EXPECT_EQ(popover->finalPopoverFrameForParentFrame(parent), QRect(100, 75, 100, 50));
}

TEST(PopoverPresentationTest, ALargerPopoverGrowsTheWindowAndTheOverlaySwallowsTheMouse) {
    KPYosemiteWindow window;
    window.setGeometry(200, 100, 300, 200);
    int clicks = 0;
    auto* below = new QPushButton(QStringLiteral("Below"), window.actualContentView());
    // Below the popover's view, so only the overlay covers it.
    below->setGeometry(10, 178, 120, 20);
    QObject::connect(below, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    auto popover = KPViewController::controller<KPPopoverViewController>();
    popover->setView(new QWidget);
    popover->view()->resize(400, 150);
    QTest::mouseClick(below, Qt::LeftButton);
    ASSERT_EQ(clicks, 1);

    popover->showPopoverInWindow(&window, true);
    ASSERT_TRUE(popover->popoverOverlayView());
    EXPECT_EQ(popover->popoverOverlayView()->geometry(), QRect(0, 0, 400, 200));
    ASSERT_TRUE(waitUntil([&] { return popover->animation() == nullptr; }, 5000));
    EXPECT_EQ(window.geometry(), QRect(150, 100, 400, 200));
    EXPECT_EQ(popover->view()->geometry(), QRect(0, 25, 400, 150));
    EXPECT_EQ(window.contentView()->childAt(below->geometry().center()),
              popover->popoverOverlayView());
    QTest::mouseClick(window.contentView()->childAt(below->geometry().center()), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    popover->dismissPopoverAnimated(true);
    ASSERT_TRUE(waitUntil([&] { return popover->popoverOverlayView() == nullptr; }, 5000));
    EXPECT_EQ(popover->view()->parentWidget(), nullptr);
    EXPECT_EQ(window.geometry(), QRect(150, 100, 400, 200)) << "the window stays grown";
}

class CloseCounter : public SWPopoverDelegate {
public:
    int willClose = 0;
    int didClose = 0;
    void popoverWillClose(SWPopoverWindowController*) override { ++willClose; }
    void popoverDidClose(SWPopoverWindowController*) override { ++didClose; }
};

// The frame is the window's; the card inside its shadow margins is what is placed.
TEST(AnchoredPopoverTest, OpensBelowItsAnchorInsideTheScreensRightEdge) {
    auto popover = KPWindowController::controller<SWPopoverWindowController>();
    popover->window()->resizeForContentSize(QSize(200, 120));
    const QMargins margins = popover->window()->shadowMargins();
    QWidget anchorView;
    anchorView.setGeometry(0, 0, 100, 100);
    const QPoint origin = anchorView.mapToGlobal(QPoint(0, 0));
    const QRect anchor(10, 20, 40, 16);
    const QRect left = popover->frameRelativeToRect(anchor, &anchorView, 1).marginsRemoved(margins);
    EXPECT_EQ(left, QRect(origin + QPoint(10, 36), QSize(200, 120)));
    const QRect centred =
        popover->frameRelativeToRect(anchor, &anchorView, 4).marginsRemoved(margins);
    EXPECT_EQ(centred.x(), origin.x() + 30 - 100);
    EXPECT_EQ(centred.y(), origin.y() + 36);

    const QRect screen = anchorView.screen()->availableGeometry();
    const QRect nearRight(anchorView.mapFromGlobal(QPoint(screen.right() - 60, screen.top())),
                          QSize(40, 16));
    const QRect shifted =
        popover->frameRelativeToRect(nearRight, &anchorView, 1).marginsRemoved(margins);
    EXPECT_EQ(shifted.x() + shifted.width(), screen.x() + screen.width());
}

// Nothing of the window's own background may show at the card's rounded corners (white
// corners on a dark theme): only the card is painted, with its shadow in the margin.
TEST(AnchoredPopoverTest, OnlyTheRoundedCardAndItsShadowArePainted) {
    for (const char* theme : {"SWDarkTheme", "SWLightTheme"}) {
        useTheme(theme);
        auto popover = KPWindowController::controller<SWPopoverWindowController>();
        KPYosemiteWindow& panel = *popover->window();
        panel.resizeForContentSize(QSize(200, 120));
        EXPECT_TRUE(panel.testAttribute(Qt::WA_TranslucentBackground));
        const QImage image = panel.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        // The pixel at a point of the window, whatever the screen's pixel ratio.
        const auto at = [&](int x, int y) {
            return image.pixel((QPointF(x, y) * image.devicePixelRatio()).toPoint());
        };
        const QRect card = panel.contentView()->geometry();
        ASSERT_EQ(card.size(), QSize(200, 120));
        const QRgb fill =
            KPThemeManager::sharedManager().colorForKey("popoverBackgroundColor").rgba();
        EXPECT_EQ(at(card.center().x(), card.center().y()), fill) << theme;
        // No header separator across a popover.
        EXPECT_EQ(at(card.center().x(), card.top() + 36), fill) << theme;
        for (const QPoint corner :
             {card.topLeft(), card.topRight(), card.bottomLeft(), card.bottomRight()}) {
            EXPECT_LT(qAlpha(at(corner.x(), corner.y())), 100) << theme;
            EXPECT_LT(qRed(at(corner.x(), corner.y())), 100) << theme;
        }
        // A soft shadow, strongest below the card, gone before the window's edge.
        const int below = qAlpha(at(card.center().x(), card.bottom() + 3));
        EXPECT_GT(below, 20) << theme;
        EXPECT_LT(below, 128) << theme;
        EXPECT_GT(qAlpha(at(card.left() - 3, card.center().y())), 0) << theme;
        EXPECT_LE(qAlpha(at(card.center().x(), panel.height() - 1)), 2) << theme;
        EXPECT_EQ(qAlpha(at(0, 0)), 0) << theme;
    }
}

TEST(AnchoredPopoverTest, RequestsDuringAnAnimationAreDroppedAndCloseRunsOnce) {
    auto popover = KPWindowController::controller<SWPopoverWindowController>();
    CloseCounter counter;
    popover->setDelegate(&counter);
    popover->window()->resize(200, 120);
    QWidget anchorView;
    anchorView.setGeometry(100, 100, 100, 100);
    popover->showRelativeToRect(QRect(0, 0, 40, 16), &anchorView, 1);
    EXPECT_TRUE(popover->animating());
    popover->close();
    EXPECT_EQ(counter.willClose, 0) << "a close while opening is dropped";
    ASSERT_TRUE(waitUntil([&] { return !popover->animating(); }, 5000));
    EXPECT_TRUE(popover->window()->isVisible());

    popover->close();
    popover->close();
    ASSERT_TRUE(waitUntil([&] { return !popover->animating(); }, 5000));
    EXPECT_FALSE(popover->window()->isVisible());
    EXPECT_EQ(counter.willClose, 1);
    EXPECT_EQ(counter.didClose, 1);
}

TEST(WindowChromeTest, PressesNearAnEdgeResizeOnlyAResizableWindow) {
    KPYosemiteWindow window;
    window.resize(300, 200);
    EXPECT_EQ(window.resizeEdgesAt(QPoint(150, 100)), Qt::Edges());
    EXPECT_EQ(window.resizeEdgesAt(QPoint(1, 100)), Qt::LeftEdge);
    EXPECT_EQ(window.resizeEdgesAt(QPoint(299, 199)), Qt::RightEdge | Qt::BottomEdge);
    kp_setResizable(&window, false);
    EXPECT_EQ(window.resizeEdgesAt(QPoint(1, 1)), Qt::Edges());
}

TEST(ModalBackgroundTest, DrawsInsideItsShadowAndLeavesRoomBelow) {
    SWModalWindowBackgroundView view;
    view.resize(300, 200);
    EXPECT_EQ(view.drawingBounds(), QRectF(20, 20, 260, 120));
}

}  // namespace
