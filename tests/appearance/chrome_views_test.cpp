#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>

#include "appearance/kp_theme_manager.h"
#include "appearance/kp_visual_effect_view.h"
#include "appearance/kp_window_controller.h"
#include "appearance/kp_yosemite_window.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/support/fixture_home.h"

namespace {

TEST(ThemableWindowTest, TheBackgroundFollowsTheThemeOnlyOnceAKeyIsSet) {
    useTheme("SWLightTheme");
    PVThemableWindow window;
    EXPECT_TRUE(window.isConfigured());
    EXPECT_FALSE(window.autoFillBackground());
    window.setBackgroundColorKey(QStringLiteral("windowColor"));
    const QColor light = KPThemeManager::sharedManager().colorForKey("windowColor");
    EXPECT_EQ(window.palette().color(QPalette::Window), light);
    useTheme("SWDarkTheme");
    const QColor dark = KPThemeManager::sharedManager().colorForKey("windowColor");
    EXPECT_NE(dark, light);
    EXPECT_EQ(window.palette().color(QPalette::Window), dark);
    useTheme("SWLightTheme");
}

TEST(VisualEffectViewTest, TheBackdropIsAddedOnceBelowTheContentAndFollowsTheSize) {
    useTheme("SWLightTheme");
    KPVisualEffectView view;
    view.resize(200, 100);
    auto* content = new QLabel(QStringLiteral("Content"), &view);
    view.setBackgroundColor(Qt::red);
    view.addVisualEffectViewIfNeeded();
    KPThemableView* backdrop = view.visualEffectView();
    ASSERT_TRUE(backdrop);
    view.addVisualEffectViewIfNeeded();
    EXPECT_EQ(view.visualEffectView(), backdrop);
    EXPECT_EQ(view.children().indexOf(backdrop), 0) << "below every other child";
    EXPECT_GT(view.children().indexOf(content), 0);
    EXPECT_FALSE(view.backgroundColor().isValid());
    view.resize(300, 150);
    QApplication::sendPostedEvents();
    view.show();
    EXPECT_EQ(backdrop->geometry(), QRect(0, 0, 300, 150));
}

class SheetRecorder : public KPWindowController {
public:
    QStringList hooks;

protected:
    void kp_viewDidLoad() override { hooks << "load"; }
    void kp_sheetWillAppear() override { hooks << "willAppear"; }
    void kp_sheetDidAppear() override { hooks << "didAppear"; }
    void kp_sheetWillDisappear() override { hooks << "willDisappear"; }
    void kp_sheetDidDisappear() override { hooks << "didDisappear"; }
    friend class KPWindowController;
};

TEST(SheetTest, TheSheetOpensOnTheNextPassOfTheMainLoopAndClosesAtOnce) {
    auto sheet = KPWindowController::controller<SheetRecorder>();
    EXPECT_EQ(sheet->hooks, QStringList{"load"});
    QWidget parent;
    parent.setGeometry(100, 100, 400, 300);
    parent.show();
    sheet->window()->resize(200, 100);
    sheet->beginSheetInWindow(&parent);
    EXPECT_EQ(sheet->hooks, (QStringList{"load", "willAppear"}));
    EXPECT_FALSE(sheet->window()->isVisible());
    ASSERT_TRUE(waitUntil([&] { return sheet->window()->isVisible(); }, 5000));
    EXPECT_EQ(sheet->hooks.last(), "didAppear");
    EXPECT_EQ(sheet->window()->geometry().topLeft(), QPoint(200, 100)) << "centred at the top";
    sheet->closeSheet();
    EXPECT_FALSE(sheet->window()->isVisible());
    EXPECT_EQ(sheet->hooks,
              (QStringList{"load", "willAppear", "didAppear", "willDisappear", "didDisappear"}));
    sheet->beginSheetInWindow(nullptr);
    EXPECT_EQ(sheet->hooks.size(), 5) << "no window, no sheet";
}

}  // namespace
