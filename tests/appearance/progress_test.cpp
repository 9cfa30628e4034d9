#include <gtest/gtest.h>
#include <QApplication>
#include <cmath>

#include "appearance/kp_theme_manager.h"
#include "appearance/pv_progress_view.h"
#include "appearance/qrk_spinning_progress_indicator.h"
#include "appearance/sw_light_theme.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/support/fixture_home.h"

namespace {

const QColor kGreen = Qt::green;
const QColor kOrange = QColor(255, 165, 0);
const QColor kRed = Qt::red;

TEST(SpinnerTest, AThemedSpinnerIsHiddenWhileStopped) {
    QWidget window;
    PVThemableSpinningProgressIndicator spinner(&window);
    window.show();
    EXPECT_FALSE(spinner.isVisible());
    EXPECT_FALSE(spinner.usesThreadedAnimation());
    spinner.startAnimation();
    EXPECT_TRUE(spinner.isAnimating());
    EXPECT_TRUE(spinner.isVisible());
    spinner.stopAnimation();
    EXPECT_FALSE(spinner.isAnimating());
    EXPECT_FALSE(spinner.isVisible());
}

TEST(SpinnerTest, ADeterminateSpinnerIgnoresStartAndTurningDeterminateStopsIt) {
    QRKSpinningProgressIndicator spinner;
    spinner.setCurrentValue(30);
    EXPECT_FALSE(spinner.indeterminate());
    spinner.startAnimation();
    EXPECT_FALSE(spinner.isAnimating());

    QRKSpinningProgressIndicator running;
    running.setUsesThreadedAnimation(false);
    running.startAnimation();
    ASSERT_TRUE(running.isAnimating());
    running.setIsIndeterminate(false);
    EXPECT_FALSE(running.isAnimating());
}

TEST(SpinnerTest, FinAlphasFadeRoundTheCircleFrameByFrame) {
    EXPECT_DOUBLE_EQ(QRKSpinningProgressIndicator::finAlpha(0, 0), 1.0);
    EXPECT_DOUBLE_EQ(QRKSpinningProgressIndicator::finAlpha(1, 0), 0.85);
    EXPECT_DOUBLE_EQ(QRKSpinningProgressIndicator::finAlpha(11, 1), 1.0);
    EXPECT_DOUBLE_EQ(QRKSpinningProgressIndicator::finAlpha(3, 10), std::pow(0.85, 1));

    for (const bool threaded : {false, true}) {
        QRKSpinningProgressIndicator spinner;
        spinner.setColor(Qt::red);
        spinner.setDisplayedWhenStopped(true);
        spinner.setUsesThreadedAnimation(threaded);
        spinner.startAnimation();
        ASSERT_TRUE(waitUntil([&] { return spinner.currentPosition() >= 3; }));
        spinner.stopAnimation();
        const int shown = (spinner.currentPosition() + 11) % 12;
        const QList<QColor> fins = spinner.finColors();
        ASSERT_EQ(fins.size(), 12);
        for (int i = 0; i < 12; ++i) {
            const qreal expected = std::max(0.15, std::pow(0.85, (i + shown) % 12));
            EXPECT_NEAR(fins[i].alphaF(), expected, 0.01)
                << "fin " << i << " threaded " << threaded;
            EXPECT_EQ(fins[i].red(), 255);
        }
    }
}

TEST(SpinnerTest, ChangingTheAnimationModeWhileRunningRestartsInTheNewMode) {
    QRKSpinningProgressIndicator spinner;
    spinner.setUsesThreadedAnimation(false);
    spinner.startAnimation();
    spinner.setUsesThreadedAnimation(true);
    EXPECT_TRUE(spinner.isAnimating());
    EXPECT_TRUE(waitUntil([&] { return spinner.currentPosition() >= 2; }));
    spinner.stopAnimation();
    const int stopped = spinner.currentPosition();
    QApplication::processEvents();
    EXPECT_EQ(spinner.currentPosition(), stopped);
}

TEST(SpinnerTest, TheBrightFinLeadsClockwiseFromTheTop) {
    QRKSpinningProgressIndicator spinner;
    spinner.setFixedSize(64, 64);
    spinner.setUsesThreadedAnimation(false);
    spinner.setColor(Qt::darkBlue);
    spinner.startAnimation();
    const QImage image = render(spinner);
    // Fin 0 (alpha 1) at the top; fin 1 (0.85) a twelfth of a turn anticlockwise; fin 11
    // (0.85^11) a twelfth clockwise.
    const auto alphaAt = [&](qreal degreesClockwise) {
        const qreal angle = qDegreesToRadians(degreesClockwise);
        const qreal radius = 0.33 * 64;
        return qAlpha(image.pixel(32 + qRound(radius * std::sin(angle)),
                                  32 - qRound(radius * std::cos(angle))));
    };
    EXPECT_GT(alphaAt(0), 240);
    EXPECT_GT(alphaAt(-30), 190);
    EXPECT_LT(alphaAt(30), 60);
    spinner.stopAnimation();
}

TEST(SpinnerTest, APieFillsClockwiseFromTheTop) {
    QRKSpinningProgressIndicator spinner;
    spinner.setFixedSize(40, 40);
    spinner.setColor(Qt::blue);
    spinner.setCurrentValue(25);
    const QImage image = render(spinner);
    EXPECT_TRUE(near(image.pixel(27, 13), QColor(Qt::blue).rgba()));
    EXPECT_EQ(qAlpha(image.pixel(13, 27)), 0);
    EXPECT_EQ(qAlpha(image.pixel(13, 13)), 0);
}

TEST(SpinnerTest, ASelectedRowTurnsTheSpinnerWhiteThroughThemeChanges) {
    useTheme("SWLightTheme");
    PVThemableSpinningProgressIndicator spinner;
    spinner.setTintColorKey("progressIndicatorColor");
    const QColor light = rgb(0.3647, 0.3647, 0.3843);
    EXPECT_TRUE(sameColor(spinner.color(), light));
    spinner.setBackgroundStyle(PVThemableSpinningProgressIndicator::kEmphasizedBackgroundStyle);
    EXPECT_TRUE(sameColor(spinner.color(), Qt::white));
    useTheme("SWDarkTheme");
    EXPECT_TRUE(sameColor(spinner.color(), Qt::white));
    spinner.setBackgroundStyle(0);
    EXPECT_TRUE(sameColor(spinner.color(), rgb(1, 1, 1, 0.85)));
    useTheme("SWLightTheme");
    EXPECT_TRUE(sameColor(spinner.color(), light));
}

TEST(ProgressBarTest, ThresholdsPickTheFillColour) {
    PVProgressView bar;
    bar.setFillColors(std::map<double, QColor>{{0.0, kGreen}, {0.75, kOrange}, {0.9, kRed}});
    for (const auto& [value, color] : {std::pair{0.5, kGreen}, std::pair{0.8, kOrange},
                                       std::pair{0.95, kRed}, std::pair{0.75, kOrange}}) {
        bar.setDoubleValue(value);
        EXPECT_TRUE(sameColor(bar.currentFillColor(), color)) << value;
    }
    bar.setFillColors(std::map<double, QColor>{{0.6, kRed}});
    bar.setDoubleValue(0.5);
    EXPECT_FALSE(bar.currentFillColor().isValid());
    bar.setFillColors(std::nullopt);
    bar.setFillColor(kOrange);
    EXPECT_TRUE(sameColor(bar.currentFillColor(), kOrange));
}

TEST(ProgressBarTest, DrawsTheTrackAndTheFilledFraction) {
    PVProgressView bar;
    bar.setFixedSize(100, 10);
    bar.setBackgroundColor(Qt::black);
    bar.setFillColors(std::map<double, QColor>{{0.0, kGreen}, {0.75, kOrange}});
    bar.setDoubleValue(0.5);
    QImage image = render(bar);
    EXPECT_TRUE(near(image.pixel(25, 5), kGreen.rgba()));
    EXPECT_TRUE(near(image.pixel(75, 5), QColor(Qt::black).rgba()));
    // Rounded ends.
    EXPECT_LT(qAlpha(image.pixel(0, 0)), 128);

    bar.setDoubleValue(0);
    image = render(bar);
    EXPECT_TRUE(near(image.pixel(25, 5), QColor(Qt::black).rgba()));
}

TEST(ProgressBarTest, CornerRadiusIsHalfTheHeightRounded) {
    PVProgressView bar;
    bar.setFixedSize(100, 10);
    EXPECT_EQ(bar.cornerRadius(), 5);
    bar.setFixedSize(100, 11);
    EXPECT_EQ(bar.cornerRadius(), 6);
}

}  // namespace

// A theme with a dictionary of threshold colours.
class DriveTheme : public SWLightTheme {
    Q_OBJECT
public:
    static DriveTheme& sharedTheme() { return KPTheme::sharedTheme<DriveTheme>(); }
    Q_INVOKABLE QVariant driveFillColors() const {
        return QVariantMap{{"0", QColor(Qt::green)}, {"0.9", QColor(Qt::red)}};
    }

protected:
    DriveTheme() = default;
    friend class KPTheme;
};

namespace {

TEST(ThemableProgressBarTest, TakesItsColoursFromTheTheme) {
    useTheme("SWDarkTheme");
    PVThemableProgressView bar;
    bar.setFillColorKey("progressFillColor");
    bar.setBackgroundColorKey("progressBackgroundColor");
    EXPECT_TRUE(sameColor(bar.fillColor(), rgb(0.3647, 0.6118, 0.9608)));
    EXPECT_TRUE(sameColor(bar.backgroundColor(), rgb(1, 1, 1, 0.1)));

    DriveTheme::sharedTheme();
    KPThemeManager::sharedManager().changeTheme("DriveTheme");
    bar.setFillColorDictKey("driveFillColors");
    bar.setDoubleValue(0.95);
    EXPECT_TRUE(sameColor(bar.currentFillColor(), Qt::red));
    bar.setDoubleValue(0.3);
    EXPECT_TRUE(sameColor(bar.currentFillColor(), Qt::green));
    useTheme("SWLightTheme");
}

}  // namespace

#include "progress_test.moc"
