#include <gtest/gtest.h>
#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "appearance/kp_yosemite_button.h"
#include "tests/appearance/appearance_fixtures.h"
#include "tests/support/fixture_home.h"

namespace {

enum class State { Normal, Hovered, Pressed };

KPYosemiteButtonCell::Look look(KPYosemiteButtonCell& cell, State state) {
    cell.setHovered(state == State::Hovered);
    cell.setMouseDown(state == State::Pressed);
    return cell.currentLook();
}

// The gradient's colours, or none.
std::pair<QColor, QColor> gradient(const KPYosemiteButtonCell::Look& look) {
    if (!look.gradient) return {};
    return {look.gradient->top, look.gradient->bottom};
}

bool sameGradient(const KPYosemiteButtonCell::Look& look, const QColor& top, const QColor& bottom) {
    return look.gradient && sameColor(look.gradient->top, top) &&
           sameColor(look.gradient->bottom, bottom);
}

TEST(ButtonCellTest, FlatVariantsDrawTheirOwnGradientInEachState) {
    KPGrayYosemiteButtonCell gray;
    EXPECT_TRUE(sameGradient(look(gray, State::Normal), rgb(0.6784, 0.698, 0.7294),
                             rgb(0.6235, 0.6392, 0.6706)));
    EXPECT_TRUE(sameGradient(look(gray, State::Hovered), rgb(0.5843, 0.6039, 0.6314),
                             rgb(0.5843, 0.6039, 0.6314)));
    EXPECT_TRUE(sameGradient(look(gray, State::Pressed), rgb(0.4941, 0.5059, 0.5294),
                             rgb(0.4941, 0.5059, 0.5294)));
    EXPECT_FALSE(look(gray, State::Pressed).stroke.isValid());
    EXPECT_EQ(gray.cornerRadius(), 4);
    EXPECT_FALSE(gray.shadow().has_value());

    KPRedYosemiteButtonCell red;
    EXPECT_TRUE(sameGradient(look(red, State::Pressed), rgb(0.8078, 0, 0), rgb(0.8078, 0, 0)));
    KPTealYosemiteButtonCell teal;
    EXPECT_TRUE(sameGradient(look(teal, State::Normal), rgb(0.3922, 0.6706, 0.6431),
                             rgb(0.2039, 0.6, 0.5608)));
    KPUpdatedBlueYosemiteButtonCell updatedBlue;
    EXPECT_TRUE(sameGradient(look(updatedBlue, State::Hovered), rgb(0, 0.4941, 0.898),
                             rgb(0, 0.4941, 0.898)));
    for (KPYosemiteButtonCell* cell :
         {static_cast<KPYosemiteButtonCell*>(&gray), static_cast<KPYosemiteButtonCell*>(&red)}) {
        EXPECT_TRUE(sameColor(cell->titleColor(), Qt::white));
        EXPECT_TRUE(sameColor(cell->titleColorPressed(), Qt::white));
    }
}

TEST(ButtonCellTest, GreenDarkensWhenPressedAndKeepsItsFaceWhenHovered) {
    KPGreenYosemiteButtonCell green;
    const KPYosemiteButtonCell::Look normal = look(green, State::Normal);
    EXPECT_TRUE(sameGradient(normal, rgb(0.5373, 0.8627, 0.4235), rgb(0.3725, 0.6863, 0.2706)));
    EXPECT_TRUE(sameColor(normal.stroke, rgb(0.3608, 0.6627, 0.2549)));
    const KPYosemiteButtonCell::Look pressed = look(green, State::Pressed);
    EXPECT_TRUE(sameGradient(pressed, rgb(0.4745, 0.7608, 0.3725), rgb(0.3216, 0.5882, 0.2314)));
    EXPECT_TRUE(sameColor(pressed.stroke, rgb(0.2745, 0.502, 0.1882)));
    // No hovered values of its own: hovering keeps the normal face rather than blanking it.
    const KPYosemiteButtonCell::Look hovered = look(green, State::Hovered);
    EXPECT_EQ(gradient(hovered), gradient(normal));
    EXPECT_TRUE(sameColor(hovered.stroke, normal.stroke));
    EXPECT_EQ(green.cornerRadius(), 3);
    ASSERT_TRUE(green.shadow().has_value());
    EXPECT_TRUE(sameColor(green.shadow()->color, rgb(0, 0, 0, 0.3)));
    EXPECT_EQ(green.shadow()->blurRadius, 1);
}

TEST(ButtonCellTest, NormalAndBlueButtons) {
    KPNormalYosemiteButton normal;
    EXPECT_TRUE(sameColor(look(normal, State::Normal).background, Qt::white));
    EXPECT_FALSE(look(normal, State::Normal).gradient.has_value());
    EXPECT_TRUE(sameColor(look(normal, State::Normal).stroke, rgb(0.7725, 0.7725, 0.7725)));
    EXPECT_TRUE(sameGradient(look(normal, State::Pressed), rgb(0.4118, 0.698, 0.9922),
                             rgb(0, 0.4784, 1.0)));
    EXPECT_TRUE(sameColor(look(normal, State::Pressed).stroke, rgb(0.1137, 0.451, 0.9961, 0.5)));
    normal.setMouseDown(false);
    EXPECT_TRUE(sameColor(normal.currentTitleColor(), rgb(0.15, 0.15, 0.15)));
    normal.setMouseDown(true);
    EXPECT_TRUE(sameColor(normal.currentTitleColor(), Qt::white));

    KPBlueYosemiteButtonCell blue;
    EXPECT_TRUE(sameColor(look(blue, State::Normal).background, Qt::white));
    EXPECT_TRUE(
        sameGradient(look(blue, State::Normal), rgb(0.4118, 0.698, 0.9922), rgb(0, 0.4784, 1.0)));
    EXPECT_TRUE(sameGradient(look(blue, State::Pressed), rgb(0.3176, 0.6078, 0.9843),
                             rgb(0.0824, 0.4196, 0.8784)));
    EXPECT_TRUE(sameColor(look(blue, State::Pressed).stroke, rgb(0.0353, 0.2588, 0.8784, 0.5)));
    EXPECT_TRUE(sameColor(blue.titleColor(), Qt::white));
}

TEST(ButtonCellTest, TheBezelIsDrawnInTheStatesColours) {
    KPRedYosemiteButtonCell red;
    QImage image(100, 30, QImage::Format_ARGB32);
    for (const State state : {State::Normal, State::Pressed}) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        look(red, state);
        red.drawBezel(painter, QRectF(image.rect()));
        painter.end();
        // No shadow: the bezel fills the frame up to its edge.
        EXPECT_EQ(qAlpha(image.pixel(50, 0)), 255);
        const QRgb bottom = image.pixel(50, 29);
        EXPECT_TRUE(near(bottom, rgb(0.8078, 0, 0).rgba(), 6));
        const QRgb top = image.pixel(50, 0);
        EXPECT_TRUE(
            near(top, (state == State::Normal ? rgb(0.898, 0, 0) : rgb(0.8078, 0, 0)).rgba(), 6));
    }
}

class YosemiteButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button.setFixedSize(120, 32);
        button.show();
    }
    KPYosemiteButton button{std::make_unique<KPGreenYosemiteButtonCell>(), "Clean"};
    QSignalSpy clicked{&button, &QAbstractButton::clicked};
};

TEST_F(YosemiteButtonTest, AClickReleasedInsideSendsTheActionAndOutsideNone) {
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(60, 16));
    EXPECT_TRUE(button.buttonCell().mouseDown());
    // The press holds while the pointer wanders: no tracking loop.
    QTest::mouseMove(&button, QPoint(300, 16));
    EXPECT_TRUE(button.buttonCell().mouseDown());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(300, 16));
    EXPECT_FALSE(button.buttonCell().mouseDown());
    EXPECT_EQ(clicked.count(), 0);

    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(60, 16));
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(YosemiteButtonTest, ADisabledButtonFadesToHalfAndIgnoresClicks) {
    button.setEnabled(false);
    EXPECT_TRUE(waitUntil([&] { return button.alphaValue() == KPYosemiteButton::kDisabledAlpha; }));
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(60, 16));
    EXPECT_EQ(clicked.count(), 0);
    button.setEnabled(true);
    EXPECT_TRUE(waitUntil([&] { return button.alphaValue() == 1.0; }));
}

TEST_F(YosemiteButtonTest, HoveringShowsAPointingHand) {
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), button.mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.buttonCell().hovered());
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.buttonCell().hovered());
    EXPECT_EQ(button.cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
