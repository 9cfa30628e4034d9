#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "appearance/kp_theme_manager.h"
#include "appearance/kp_view.h"
#include "appearance/pv_progress_view.h"
#include "appearance/theme_selection.h"
#include "engine/disk_utilities.h"
#include "results/memory_formatter.h"
#include "results/screens/pv_device_label.h"
#include "results/screens/sw_drive_info_window_controller.h"
#include "results/screens/sw_results_view_controller.h"
#include "tests/support/fixture_home.h"

namespace {

void useTheme(bool dark) {
    SWThemeSelection::registerThemes();
    KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
}

QColor themeColor(const char* key) {
    return KPThemeManager::sharedManager().colorForKey(QString::fromLatin1(key));
}

QString bytes(quint64 count) {
    return KPMemoryFormatter().stringFromBytes(double(count));
}

// A solid square, so that the icon's first column is where the content starts.
QIcon solidIcon() {
    QPixmap square(16, 16);
    square.fill(Qt::darkGreen);
    return QIcon(square);
}

PVDeviceButtonModel volume(const QString& name, bool hideDropdownIndicator) {
    PVDeviceButtonModel model;
    model.path = QStringLiteral("/");
    model.name = name;
    model.image = solidIcon();
    model.hideDropdownIndicator = hideDropdownIndicator;
    return model;
}

// The columns of the image that hold anything but the background.
std::pair<int, int> inkColumns(const QImage& image, const QColor& background) {
    int first = image.width(), last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

class DeviceLabelTest : public ::testing::Test {
protected:
    void SetUp() override { useTheme(false); }

    PVDeviceLabel label;
};

TEST_F(DeviceLabelTest, NamesOfUpToTwentyCharactersShowWholeLongerOnesAreCut) {
    const QString twenty = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    label.setDeviceInfo(volume(twenty, false));
    EXPECT_EQ(label.cell().layoutInFrame(QRectF(0, 0, 300, 24), label.font(), QString()).name,
              twenty);
    label.setDeviceInfo(volume(twenty + u'U', false));
    EXPECT_EQ(label.cell().layoutInFrame(QRectF(0, 0, 300, 24), label.font(), QString()).name,
              twenty + "...");
    // Characters, not bytes: a name of twenty accented letters is whole.
    const QString accented(20, QChar(0xe9));
    EXPECT_EQ(PVDeviceLabelCell::shownName(accented), accented);
}

TEST_F(DeviceLabelTest, AModelWithoutANameShowsTheLabelsOwnText) {
    label.setText(QStringLiteral("Home drive"));
    label.setDeviceInfo(volume(QString(), false));
    EXPECT_EQ(label.cell().layoutInFrame(QRectF(0, 0, 300, 24), label.font(), label.text()).name,
              u"Home drive");
}

// Icon, name and the extra width are centred together; the triangle counts only when it
// is shown.
TEST_F(DeviceLabelTest, TheContentIsCentredWithTheTriangleOnlyWhenShown) {
    const QRectF frame(10, 4, 300, 24);
    const QString name = QStringLiteral("Data");
    const qreal nameWidth = std::ceil(QFontMetricsF(label.font()).horizontalAdvance(name) + 10);
    for (const bool hidden : {true, false}) {
        label.setDeviceInfo(volume(name, hidden));
        const auto layout = label.cell().layoutInFrame(frame, label.font(), QString());
        const qreal triangle = hidden ? 0 : PVDeviceLabelCell::kTriangleWidth;
        EXPECT_DOUBLE_EQ(layout.content.width(), 16 + nameWidth + 2 + triangle) << hidden;
        EXPECT_DOUBLE_EQ(layout.content.center().x(), frame.center().x()) << hidden;
        EXPECT_DOUBLE_EQ(layout.icon.left(), layout.content.left());
        EXPECT_DOUBLE_EQ(layout.icon.center().y(), frame.center().y());
        EXPECT_DOUBLE_EQ(layout.nameRect.left(), layout.icon.right() + 5);
        EXPECT_DOUBLE_EQ(layout.nameRect.top(), frame.top() - 2);
        EXPECT_EQ(layout.triangle.isEmpty(), hidden);
        if (!hidden) {
            EXPECT_DOUBLE_EQ(layout.triangle.left(), layout.nameRect.right() - 5);
        }
    }
}

// What is drawn sits in the middle of a label wider than its content.
TEST_F(DeviceLabelTest, TheDrawnContentSitsInTheMiddleOfAWideLabel) {
    label.setDeviceInfo(volume(QStringLiteral("Data"), true));
    label.resize(400, 30);
    QImage image(label.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const auto [first, last] = inkColumns(image, Qt::white);
    ASSERT_LT(first, last);
    // The name's ink ends short of its measured width by its padding and the extra width.
    EXPECT_NEAR(first + 7, image.width() - 1 - last, 4) << first << " " << last;
}

TEST_F(DeviceLabelTest, IsAButtonForTheKeyboardAndForAssistiveTechnology) {
    label.setDeviceInfo(volume(QStringLiteral("Data"), false));
    int clicks = 0;
    QObject::connect(&label, &PVDeviceLabel::clicked, [&] { ++clicks; });
    label.show();
    EXPECT_EQ(label.focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(&label, Qt::Key_Space);
    QTest::keyClick(&label, Qt::Key_Return);
    QTest::keyClick(&label, Qt::Key_A);
    EXPECT_EQ(clicks, 2);
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(clicks, 3);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&label);
    ASSERT_TRUE(accessible);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), u"Drive: Data");
    QAccessibleActionInterface* actions = accessible->actionInterface();
    ASSERT_TRUE(actions);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 4);
}

class DriveInfoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        useTheme(false);
        SWDriveInfoWindowController::setSpaceReader([this](const QString& path) {
            readPaths.append(path);
            return space;
        });
    }
    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SWDriveInfoWindowController::setSpaceReader(nullptr);
        useTheme(false);
    }

    std::shared_ptr<SWDriveInfoWindowController> open() {
        return KPWindowController::controller<SWDriveInfoWindowController>();
    }

    SWDriveSpace space{500'000'000'000, 123'000'000'000};
    QStringList readPaths;
};

// The label's line as plain text, and the colour of each of its characters.
struct ShownLine {
    QString text;
    QList<QColor> colors;
};

ShownLine shownLine(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    ShownLine line;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QString text = fragment.fragment().text();
            line.text += text;
            const QColor color = fragment.fragment().charFormat().foreground().color();
            for (qsizetype i = 0; i < text.size(); ++i)
                line.colors.append(color);
        }
    }
    return line;
}

// The colour of the text at the first occurrence of `part`.
QColor colorOf(const ShownLine& line, const QString& part, qsizetype from = 0) {
    const qsizetype at = line.text.indexOf(part, from);
    EXPECT_GE(at, 0) << part.toStdString();
    return at < 0 ? QColor() : line.colors.at(at);
}

TEST_F(DriveInfoWindowTest, ShowsTheVolumeHoldingTheHomeFolder) {
    auto window = open();
    EXPECT_EQ(readPaths, QStringList{QSDiskUtilities::sharedInstance().homeDirectoryPath()});
    EXPECT_NEAR(window->progressView()->doubleValue(), 377.0 / 500.0, 1e-9);
    // Both themes know the bar's colours.
    EXPECT_TRUE(window->progressView()->fillColor().isValid());
    EXPECT_TRUE(window->progressView()->backgroundColor().isValid());
    const ShownLine line = shownLine(window->label()->text());
    EXPECT_EQ(line.text,
              QStringLiteral("Capacity: %1    Available: %2    Used: %3")
                  .arg(bytes(500'000'000'000), bytes(123'000'000'000), bytes(377'000'000'000)));
    EXPECT_EQ(colorOf(line, "Capacity:").rgba(), themeColor("textColor").rgba());
    EXPECT_EQ(colorOf(line, "Available:").rgba(), themeColor("textColor").rgba());
    for (const quint64 value : {500'000'000'000ULL, 123'000'000'000ULL, 377'000'000'000ULL})
        EXPECT_EQ(colorOf(line, bytes(value)).rgba(), themeColor("spaceLabelColor").rgba());
    EXPECT_EQ(window->label()->font(), *KPThemeManager::sharedManager().fontForKey("boldTextFont"));
}

TEST_F(DriveInfoWindowTest, ACapacityOfZeroSaysSoAndLeavesTheBarEmpty) {
    for (const SWDriveSpace unreadable : {SWDriveSpace{0, 0}, SWDriveSpace{0, 4096}}) {
        space = unreadable;
        auto window = open();
        EXPECT_EQ(shownLine(window->label()->text()).text, u"Capacity unavailable");
        EXPECT_EQ(window->progressView()->doubleValue(), 0.0);
    }
}

// Quotas and some network file systems report more free space than the volume holds.
TEST_F(DriveInfoWindowTest, MoreFreeThanCapacityCountsNothingAsUsed) {
    space = {1'000'000, 5'000'000};
    EXPECT_EQ(space.used(), 0u);
    auto window = open();
    EXPECT_EQ(window->progressView()->doubleValue(), 0.0);
    EXPECT_TRUE(shownLine(window->label()->text()).text.endsWith("Used: " + bytes(0)));
    space = {1'000'000, 0};
    EXPECT_EQ(space.usedFraction(), 1.0);
}

// Used and available read the same here: the highlight finds the first occurrence for
// both, and the value after "Used:" keeps the text colour.
TEST_F(DriveInfoWindowTest, EqualValuesHighlightOnlyTheFirstOccurrence) {
    space = {2'000'000, 1'000'000};
    auto window = open();
    const ShownLine line = shownLine(window->label()->text());
    const QString half = bytes(1'000'000);
    const qsizetype used = line.text.indexOf("Used: ") + 6;
    EXPECT_EQ(colorOf(line, half).rgba(), themeColor("spaceLabelColor").rgba());
    EXPECT_EQ(colorOf(line, half, used).rgba(), themeColor("textColor").rgba());
    EXPECT_EQ(colorOf(line, bytes(2'000'000)).rgba(), themeColor("spaceLabelColor").rgba());
}

TEST_F(DriveInfoWindowTest, AThemeChangeReadsTheDriveAgainAndRecolours) {
    auto window = open();
    space.free = 250'000'000'000;
    useTheme(true);
    EXPECT_EQ(readPaths.size(), 2);
    const ShownLine line = shownLine(window->label()->text());
    EXPECT_EQ(colorOf(line, bytes(250'000'000'000)).rgba(), themeColor("spaceLabelColor").rgba());
    // The dark theme's text is translucent white.
    EXPECT_EQ(colorOf(line, "Capacity:").rgba(), themeColor("textColor").rgba());
    EXPECT_NEAR(window->progressView()->doubleValue(), 0.5, 1e-9);
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    useTheme(false);
    EXPECT_EQ(readPaths.size(), 2) << "a closed window still reads the drive";
}

class DeviceMenuTest : public DriveInfoWindowTest {
protected:
    void SetUp() override {
        DriveInfoWindowTest::SetUp();
        screen = KPViewController::controller<SWResultsViewController>();
        screen->scanner().setScanItems({});
        screen->setParentWindow(&window);
        window.resize(900, 600);
        screen->view()->setParent(&window);
        screen->view()->resize(window.size());
        screen->view()->show();
        window.show();
    }
    void TearDown() override {
        screen.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DriveInfoWindowTest::TearDown();
    }
    PVDeviceLabel* label() {
        return screen->view()->findChild<PVDeviceLabel*>(QStringLiteral("deviceLabel"));
    }
    bool settled() {
        const auto popover = screen->driveInfoWindowController();
        return !popover || !popover->animating();
    }

    QWidget window;
    std::shared_ptr<SWResultsViewController> screen;
};

// Each opening is a new window with a new reading; the screen forgets it once closed.
TEST_F(DeviceMenuTest, TheLabelOpensAndClosesAFreshWindow) {
    QTest::mouseClick(label(), Qt::LeftButton);
    std::weak_ptr<SWDriveInfoWindowController> first = screen->driveInfoWindowController();
    ASSERT_FALSE(first.expired());
    EXPECT_TRUE(first.lock()->window()->isVisible());
    EXPECT_EQ(readPaths.size(), 1);
    ASSERT_TRUE(waitUntil([&] { return settled(); }));
    QTest::mouseClick(label(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !screen->driveInfoWindowController(); }));
    EXPECT_TRUE(first.expired());

    label()->setFocus();
    QTest::keyClick(label(), Qt::Key_Space);
    ASSERT_TRUE(screen->driveInfoWindowController());
    EXPECT_EQ(readPaths.size(), 2);
}

TEST_F(DeviceMenuTest, AScreenGoneWhileTheWindowClosesHearsNothing) {
    QTest::mouseClick(label(), Qt::LeftButton);
    const auto popover = screen->driveInfoWindowController();
    ASSERT_TRUE(waitUntil([&] { return settled(); }));
    popover->close();
    screen.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(popover->delegate(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return !popover->window()->isVisible(); }));
}

// The drive window over a results screen, in both themes.
TEST_F(DeviceMenuTest, Screenshots) {
    const QString folder = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const bool dark : {false, true}) {
        useTheme(dark);
        QTest::mouseClick(label(), Qt::LeftButton);
        const auto popover = screen->driveInfoWindowController();
        ASSERT_TRUE(popover);
        ASSERT_TRUE(waitUntil([&] { return settled(); }));
        const QString theme = dark ? "dark" : "light";
        EXPECT_TRUE(window.grab().save(folder + "/drive-label-" + theme + ".png"));
        QImage card(popover->window()->size() * 2, QImage::Format_ARGB32_Premultiplied);
        card.setDevicePixelRatio(2);
        card.fill(Qt::transparent);
        popover->window()->render(&card, QPoint(), QRegion(), QWidget::DrawChildren);
        EXPECT_TRUE(card.save(folder + "/drive-window-" + theme + ".png"));
        popover->close();
        ASSERT_TRUE(waitUntil([&] { return !screen->driveInfoWindowController(); }));
    }
}

}  // namespace
