#include <gtest/gtest.h>
#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include "appearance/kp_theme_manager.h"
#include "appearance/theme_selection.h"
#include "results/screens/sw_hover_view.h"
#include "tests/support/fixture_home.h"

namespace {

const QColor kLabelColor(10, 20, 30);
const QColor kHoverTextColor(200, 100, 0);

QColor themeColor(const char* key) {
    return KPThemeManager::sharedManager().colorForKey(QString::fromLatin1(key));
}

void enter(QWidget& widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&widget, &event);
}

void leave(QWidget& widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

bool isClear(const QColor& color) {
    return color.alpha() == 0;
}

class HoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        useTheme("SWLightTheme");
        // Away from the widgets under test, so Qt sends them no enter or leave of its own.
        QCursor::setPos(QPoint(700, 500));
    }
    void TearDown() override { useTheme("SWLightTheme"); }

    static void useTheme(const char* name) {
        SWThemeSelection::registerThemes();
        KPThemeManager::sharedManager().changeTheme(QString::fromLatin1(name));
    }
};

// A column header as the detail table has it: the view, its label linked.
class Header : public SWHoverView {
public:
    SWHoverTextField* label = new SWHoverTextField(this);

    Header() {
        label->setText(QStringLiteral("Size"));
        label->setGeometry(4, 4, 60, 20);
        label->setTextColor(kLabelColor);
        setLinkedTextField(label);
        resize(100, 28);
        show();
    }
};

TEST_F(HoverTest, AHeaderLightsUpInTheSelectionColourAndGivesItsLabelBack) {
    Header header;
    header.setHoverTextColor(kHoverTextColor);
    EXPECT_EQ(header.originalTextColor(), kLabelColor);
    const QColor resting = header.grab().toImage().pixelColor(90, 14);

    enter(header);
    EXPECT_TRUE(header.isHovered());
    EXPECT_EQ(header.label->textColor(), kHoverTextColor);
    const QColor selected = themeColor(SWHoverView::kHoverBackgroundColorKey);
    ASSERT_TRUE(waitUntil([&] { return header.layerBackgroundColor() == selected; }));
    EXPECT_EQ(header.grab().toImage().pixelColor(90, 14).rgba(), selected.rgba());

    leave(header);
    EXPECT_FALSE(header.isHovered());
    EXPECT_EQ(header.label->textColor(), kLabelColor);
    ASSERT_TRUE(waitUntil([&] { return isClear(header.layerBackgroundColor()); }));
    EXPECT_EQ(header.grab().toImage().pixelColor(90, 14), resting);
}

TEST_F(HoverTest, WithoutAHoverTextColourTheLabelKeepsItsColourAndTheOwnBackgroundReturns) {
    Header header;
    header.setBackgroundColor(Qt::green);
    enter(header);
    EXPECT_EQ(header.label->textColor(), kLabelColor);
    leave(header);
    ASSERT_TRUE(waitUntil([&] { return header.layerBackgroundColor() == QColor(Qt::green); }));
    EXPECT_EQ(header.label->textColor(), kLabelColor);
}

// A label colour set while the pointer is away is the one the header returns to.
TEST_F(HoverTest, AHeaderReturnsToTheLabelColourOfTheMomentTheHoverBegan) {
    Header header;
    header.setHoverTextColor(kHoverTextColor);
    header.label->setTextColor(Qt::blue);
    enter(header);
    leave(header);
    EXPECT_EQ(header.label->textColor(), QColor(Qt::blue));
}

// The label lights up under the pointer too, inside its header: once the pointer has
// left both, it must show its own colour again, not one of the hover colours.
TEST_F(HoverTest, ALabelWithItsOwnHoverColourInsideAHeaderEndsInItsOwnColour) {
    Header header;
    header.setHoverTextColor(kHoverTextColor);
    header.label->setHoverTextColor(Qt::red);
    enter(header);
    enter(*header.label);
    EXPECT_EQ(header.label->textColor(), QColor(Qt::red));
    leave(*header.label);
    EXPECT_EQ(header.label->textColor(), kHoverTextColor);
    leave(header);
    EXPECT_EQ(header.label->textColor(), kLabelColor);
    EXPECT_EQ(header.label->originalTextColor(), kLabelColor);
    enter(header);
    leave(header);
    EXPECT_EQ(header.label->textColor(), kLabelColor);
}

TEST_F(HoverTest, AThemeChangeWhileHoveredTakesTheNewColoursAndLeavesTheNewLabelColour) {
    Header header;
    header.label->setTextColorKey(QStringLiteral("textColor"));
    header.setLinkedTextField(header.label);
    header.setHoverTextColor(kHoverTextColor);
    enter(header);
    useTheme("SWDarkTheme");
    const QColor darkSelected = themeColor(SWHoverView::kHoverBackgroundColorKey);
    EXPECT_EQ(header.layerBackgroundColor(), darkSelected);
    ASSERT_TRUE(waitUntil([&] { return header.label->textColor() == kHoverTextColor; }));
    leave(header);
    EXPECT_EQ(header.label->textColor(), themeColor("textColor"));
}

TEST_F(HoverTest, AFieldLightsUpAndGoesBackToItsOwnLook) {
    SWHoverTextField field;
    field.setTextColor(kLabelColor);
    field.setHoverBackgroundColor(Qt::yellow);
    field.setHoverTextColor(kHoverTextColor);
    field.resize(80, 20);
    field.show();

    enter(field);
    EXPECT_TRUE(field.isHovered());
    EXPECT_EQ(field.textColor(), kHoverTextColor);
    ASSERT_TRUE(waitUntil([&] { return field.layerBackgroundColor() == QColor(Qt::yellow); }));
    EXPECT_EQ(field.grab().toImage().pixelColor(78, 18), QColor(Qt::yellow));
    leave(field);
    EXPECT_EQ(field.textColor(), kLabelColor);
    ASSERT_TRUE(waitUntil([&] { return isClear(field.layerBackgroundColor()); }));

    // A field that fills its background returns to that fill; without a hover
    // background it shows clear under the pointer.
    field.setAutoFillBackground(true);
    field.setHoverBackgroundColor(QColor());
    field.setHoverTextColor(QColor());
    enter(field);
    EXPECT_EQ(field.textColor(), kLabelColor);
    ASSERT_TRUE(waitUntil([&] { return isClear(field.layerBackgroundColor()); }));
    leave(field);
    const QColor fill = field.palette().color(field.backgroundRole());
    ASSERT_TRUE(waitUntil([&] { return field.layerBackgroundColor() == fill; }));
}

TEST_F(HoverTest, ALaterTextColourBecomesTheOneAFieldReturnsTo) {
    SWHoverTextField field;
    field.setTextColor(kLabelColor);
    EXPECT_EQ(field.originalTextColor(), kLabelColor);
    field.setHoverTextColor(kHoverTextColor);
    field.setTextColor(Qt::blue);
    EXPECT_EQ(field.originalTextColor(), QColor(Qt::blue));

    enter(field);
    field.setTextColor(Qt::darkGreen);
    EXPECT_EQ(field.textColor(), kHoverTextColor);
    leave(field);
    EXPECT_EQ(field.textColor(), QColor(Qt::darkGreen));

    field.setTextColorKey(QStringLiteral("textColor"));
    EXPECT_EQ(field.originalTextColor(), themeColor("textColor"));
}

TEST_F(HoverTest, AHeaderIsClickedByALeftClickInsideItAndBySpaceOrReturn) {
    Header header;
    QSignalSpy clicks(&header, &SWHoverView::clicked);
    QTest::mouseClick(&header, Qt::LeftButton, {}, QPoint(90, 14));
    QTest::mouseClick(header.label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 2);

    QTest::mouseClick(&header, Qt::RightButton, {}, QPoint(90, 14));
    QTest::mousePress(&header, Qt::LeftButton, {}, QPoint(90, 14));
    QTest::mouseRelease(&header, Qt::LeftButton, {}, QPoint(150, 14));
    EXPECT_EQ(clicks.count(), 2);

    EXPECT_TRUE(header.focusPolicy() & Qt::TabFocus);
    QTest::keyClick(&header, Qt::Key_Space);
    QTest::keyClick(&header, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 4);
}

TEST_F(HoverTest, AHeaderIsAButtonNamedAfterItsLabelThatPressesLikeAClick) {
    Header header;
    QSignalSpy clicks(&header, &SWHoverView::clicked);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&header);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Size"));
    header.label->setText(QStringLiteral("Name"));
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Name"));
    header.setAccessibleName(QStringLiteral("Sort by name"));
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Sort by name"));

    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
