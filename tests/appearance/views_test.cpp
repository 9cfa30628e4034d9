#include <gtest/gtest.h>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>

#include "appearance/image_tinting.h"
#include "appearance/kp_button.h"
#include "appearance/kp_drawing.h"
#include "appearance/kp_image_view.h"
#include "appearance/kp_table_view.h"
#include "appearance/kp_text_field.h"
#include "appearance/kp_view.h"
#include "tests/appearance/appearance_fixtures.h"

namespace {

const QColor kLightText = rgb(0.2235, 0.2392, 0.2549);
const QColor kDarkText = rgb(1, 1, 1, 0.85);

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override { useTheme("SWLightTheme"); }
    void TearDown() override { useTheme("SWLightTheme"); }
};

TEST(TintingTest, EveryOpaquePixelTakesTheColourAndKeepsItsAlpha) {
    QImage source(4, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(0, 0, 255, 255));
    source.setPixel(1, 0, qRgba(0, 255, 0, 128));
    source.setPixel(2, 0, qRgba(0, 0, 0, 0));
    source.setPixel(3, 0, qRgba(255, 255, 255, 255));
    const QIcon tinted = kp_imageWithTintColor(QIcon(QPixmap::fromImage(source)), Qt::red);
    const QImage image =
        tinted.pixmap(QSize(4, 1)).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_NEAR(qAlpha(image.pixel(1, 0)), 128, 1);
    EXPECT_EQ(qRed(image.pixel(1, 0)), 255);
    EXPECT_EQ(qGreen(image.pixel(1, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(2, 0)), 0);
    EXPECT_EQ(image.pixel(3, 0), qRgba(255, 0, 0, 255));
}

TEST(TintingTest, VectorImagesAreTintedAtThePixelRatioTheyAreDrawnAt) {
    const QIcon source = kp_imageWithName("icon-settings-dark");
    ASSERT_FALSE(source.isNull());
    const QIcon tinted = kp_imageWithName("icon-settings-dark", Qt::red);
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage before =
            source.pixmap(QSize(20, 20), ratio).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage after =
            tinted.pixmap(QSize(20, 20), ratio).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(after.size(), QSize(20, 20) * ratio);
        ASSERT_EQ(after.size(), before.size());
        int opaque = 0;
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                ASSERT_NEAR(qAlpha(after.pixel(x, y)), qAlpha(before.pixel(x, y)), 1);
                if (qAlpha(after.pixel(x, y)) < 32) continue;
                ++opaque;
                ASSERT_GE(qRed(after.pixel(x, y)), 250);
                ASSERT_LE(qGreen(after.pixel(x, y)), 5);
            }
        }
        EXPECT_GT(opaque, 40 * ratio * ratio);
    }
    EXPECT_TRUE(kp_imageWithName("no-such-image").isNull());
}

// Drawn by a widget rendered into a 2x image, a tinted vector image is rasterised at
// 2x, as the untinted one is, rather than at the widget's screen ratio and scaled up.
TEST(TintingTest, TintedImagesDrawnIntoADenserImageAreRasterisedAtItsRatio) {
    class IconView : public QWidget {
    public:
        explicit IconView(QIcon icon) : icon_(std::move(icon)) { resize(20, 20); }

    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter painter(this);
            icon_.paint(&painter, rect());
        }

    private:
        QIcon icon_;
    } view(kp_imageWithName("icon-settings-dark", Qt::red));
    const QImage drawn = render(view, 2);
    const QImage source = kp_imageWithName("icon-settings-dark")
                              .pixmap(QSize(20, 20), 2.0)
                              .toImage()
                              .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(source.size(), drawn.size());
    int differing = 0;
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x)
            differing += std::abs(qAlpha(drawn.pixel(x, y)) - qAlpha(source.pixel(x, y))) > 8;
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(ViewsTest, ThemedViewsFollowEveryThemeChangeWhileTheyLive) {
    auto* view = new KPThemableView;
    EXPECT_TRUE(view->isConfigured());
    view->setBackgroundColorKey("windowColor");
    view->setBorderColorKey("windowHeaderSeparatorColor");
    EXPECT_TRUE(sameColor(view->backgroundColor(), Qt::white));
    useTheme("SWDarkTheme");
    EXPECT_TRUE(sameColor(view->backgroundColor(), rgb(0.2, 0.2196, 0.2431)));
    EXPECT_TRUE(sameColor(view->borderColor(), rgb(0.3059, 0.3333, 0.3647)));
    delete view;
    // A destroyed view is no longer told.
    useTheme("SWLightTheme");
}

TEST(KPViewTest, ABorderOfWidthZeroIsNotDrawnAndDoesNotInset) {
    KPView view;
    view.setFixedSize(20, 20);
    view.setBackgroundColor(Qt::blue);
    view.setBorderColor(Qt::red);
    QImage image = render(view);
    EXPECT_EQ(image.pixel(0, 0), QColor(Qt::blue).rgba());
    EXPECT_EQ(image.pixel(19, 19), QColor(Qt::blue).rgba());

    view.setBorderWidth(1);
    image = render(view);
    EXPECT_TRUE(near(image.pixel(0, 10), QColor(Qt::red).rgba()));
    EXPECT_EQ(image.pixel(10, 10), QColor(Qt::blue).rgba());
}

TEST_F(ViewsTest, TheContainerCardDrawsInsideItsShadow) {
    EOContainerView card;
    card.setFixedSize(100, 60);
    EXPECT_EQ(card.drawingBounds(), QRectF(4, 4, 92, 52));
    EXPECT_EQ(card.backgroundColorKey(), "popoverBackgroundColor");
    const QImage image = render(card);
    EXPECT_EQ(image.pixel(50, 30), QColor(Qt::white).rgba());
    // The shadow fades out within the margin.
    EXPECT_GT(qAlpha(image.pixel(50, 2)), 0);
    EXPECT_LT(qAlpha(image.pixel(50, 2)), 60);
}

QImage shadowOf(const QPainterPath& path, const QColor& color) {
    QImage image(80, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    kp_drawShadow(painter, path, KPShadow{color, QPointF(0, 2), 3});
    return image;
}

TEST(ShadowTest, AShadowDependsOnItsShapeAndColourWhereverItIsDrawn) {
    QPainterPath card;
    card.addRoundedRect(QRectF(10, 10, 30, 20), 4, 4);
    const QImage black = shadowOf(card, Qt::black);
    EXPECT_GT(qAlpha(black.pixel(25, 33)), 0);
    EXPECT_EQ(qAlpha(black.pixel(70, 50)), 0);
    EXPECT_EQ(shadowOf(card, Qt::black), black);
    EXPECT_NE(shadowOf(card, Qt::red), black);
    EXPECT_EQ(shadowOf(card.translated(20, 10), Qt::black).copy(20, 10, 60, 50),
              black.copy(0, 0, 60, 50));
    QPainterPath wider;
    wider.addRoundedRect(QRectF(10, 10, 40, 20), 4, 4);
    EXPECT_NE(shadowOf(wider, Qt::black), black);
}

// A square whose right and bottom edges fall halfway through a point: at two device
// pixels a point, each is one sharp step between two device pixels.
constexpr QRectF kHalfPointSquare(10, 10, 20.5, 20.5);

class HardShadowOnly : public KPView {
public:
    HardShadowOnly() {
        resize(40, 40);
        setBackgroundColor(Qt::transparent);
        setShadow(KPShadow{Qt::black, QPointF(0, 0), 0});
    }
    QRectF drawingBounds() const override { return kHalfPointSquare; }
};

class FadedSquare : public QWidget {
public:
    FadedSquare() { resize(40, 40); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        kp_drawWithOpacity(painter, size(), 0.5,
                           [](QPainter& layer) { layer.fillRect(kHalfPointSquare, Qt::black); });
    }
};

// Rendered into an image of twice the density (as on a 2x screen, or a screenshot), the
// intermediate images must have that density too, or their edges come out blurred.
TEST(ShadowTest, ShadowsAndFadedLayersAreDrawnAtTheTargetsPixelRatio) {
    HardShadowOnly shadow;
    const QImage shadowImage = render(shadow, 2);
    EXPECT_EQ(qAlpha(shadowImage.pixel(60, 40)), 255);
    EXPECT_EQ(qAlpha(shadowImage.pixel(61, 40)), 0);
    EXPECT_EQ(qAlpha(shadowImage.pixel(40, 60)), 255);
    EXPECT_EQ(qAlpha(shadowImage.pixel(40, 61)), 0);

    FadedSquare faded;
    const QImage fadedImage = render(faded, 2);
    EXPECT_NEAR(qAlpha(fadedImage.pixel(60, 40)), 128, 2);
    EXPECT_EQ(qAlpha(fadedImage.pixel(61, 40)), 0);
}

TEST(NoInteractionViewTest, KeepsTheMouseFromTheViewsBeneath) {
    class Counting : public QWidget {
    public:
        int presses = 0;

    protected:
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    } parent;
    KPNoInteractionView cover(&parent);
    cover.resize(50, 50);
    parent.resize(100, 100);
    parent.show();
    QTest::mouseClick(&cover, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(parent.presses, 0);
    QTest::mouseClick(&parent, Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(parent.presses, 1);
}

TEST_F(ViewsTest, ATableTextFieldInASelectedRowStaysWhiteAcrossThemeChanges) {
    KPThemableTableTextField field;
    field.setTextColorKey("textColor");
    field.setFontKey("boldTextFont");
    EXPECT_TRUE(sameColor(field.textColor(), kLightText));
    EXPECT_EQ(field.font().weight(), QFont::Medium);
    field.setBackgroundStyle(KPTableTextField::kEmphasizedBackgroundStyle);
    EXPECT_TRUE(sameColor(field.textColor(), Qt::white));
    useTheme("SWDarkTheme");
    EXPECT_TRUE(sameColor(field.textColor(), Qt::white));
    EXPECT_TRUE(sameColor(field.originalColor(), kDarkText));
    field.setBackgroundStyle(0);
    EXPECT_TRUE(sameColor(field.textColor(), kDarkText));
}

TEST_F(ViewsTest, TextFieldsTakeFontAndColourFromTheirKeys) {
    KPThemableTextField field;
    field.setFontKey("overlayWindowTitleFont");
    field.setTextColorKey("spaceLabelColor");
    EXPECT_EQ(field.font().pixelSize(), 18);
    EXPECT_TRUE(sameColor(field.textColor(), rgb(0.0, 0.4627, 0.8431)));
    useTheme("SWDarkTheme");
    EXPECT_TRUE(sameColor(field.textColor(), rgb(0.2, 0.6196, 0.9647)));
}

class CountingTable : public KPThemableTableView {
public:
    int reloads = 0;
    void reloadData() override {
        ++reloads;
        KPThemableTableView::reloadData();
    }
};

TEST_F(ViewsTest, ATableWithAGridKeyReloadsOnEveryThemeChange) {
    CountingTable plain;
    plain.setBackgroundColorKey("sidebarColor");
    CountingTable grid;
    grid.setGridColorKey("detailsTableSeparatorColor");
    const int before = grid.reloads;
    useTheme("SWDarkTheme");
    useTheme("SWLightTheme");
    EXPECT_EQ(grid.reloads, before + 2);
    EXPECT_EQ(plain.reloads, 0);
    EXPECT_TRUE(sameColor(plain.palette().color(QPalette::Base), rgb(0.9725, 0.9804, 0.9804)));

    // The grid is drawn in the key's colour.
    QStandardItemModel model(3, 3);
    grid.setModel(&model);
    grid.setFixedSize(200, 120);
    grid.show();
    const QImage image = render(grid);
    const int x = grid.viewport()->mapTo(&grid, QPoint(grid.columnViewportPosition(1) - 1, 5)).x();
    const int y = grid.viewport()->mapTo(&grid, QPoint(0, 5)).y();
    EXPECT_TRUE(near(image.pixel(x, y), rgb(0.9294, 0.9294, 0.9294).rgba(), 2));
}

TEST_F(ViewsTest, RowViewsFillTheirBackgroundSelectionAndSeparator) {
    KPThemableTableRowView row;
    row.setFixedSize(60, 20);
    row.setBackgroundColorKey("sidebarDisabledTitleBackgroundColor");
    row.setSeparatorColorKey("detailsTableSeparatorColor");
    row.setSelectedBackgroundColorKey("sidebarTableSelectedBackgroundColor");
    QImage image = render(row);
    EXPECT_EQ(image.pixel(30, 5), rgb(0.8549, 0.9137, 0.9373).rgba());
    EXPECT_EQ(image.pixel(30, 19), rgb(0.9294, 0.9294, 0.9294).rgba());
    row.setSelected(true);
    image = render(row);
    EXPECT_EQ(image.pixel(30, 5), rgb(0.0, 0.4431, 1.0).rgba());
}

TEST_F(ViewsTest, TableImagesTurnWhiteAndSwitchImagesOnASelectedRow) {
    QImage square(8, 8, QImage::Format_ARGB32);
    square.fill(Qt::black);
    QImage dot(8, 8, QImage::Format_ARGB32);
    dot.fill(Qt::transparent);
    dot.setPixel(4, 4, qRgb(0, 0, 0));
    KPTableImageView view;
    view.setFixedSize(8, 8);
    const QIcon original(QPixmap::fromImage(square));
    view.setImage(original);
    view.setAlternativeImage(QIcon(QPixmap::fromImage(dot)));
    EXPECT_EQ(view.tintColorKey(), "sidebarTableImageColor");
    EXPECT_TRUE(near(render(view).pixel(1, 1), rgb(0.3647, 0.3647, 0.3843).rgba(), 1));

    view.setBackgroundStyle(KPTableImageView::kEmphasizedBackgroundStyle);
    EXPECT_EQ(view.tintColorKey(), "sidebarTableImageColorActive");
    const QImage selected = render(view);
    EXPECT_EQ(qAlpha(selected.pixel(1, 1)), 0);
    EXPECT_EQ(selected.pixel(4, 4), QColor(Qt::white).rgba());

    view.setBackgroundStyle(0);
    EXPECT_TRUE(near(render(view).pixel(1, 1), rgb(0.3647, 0.3647, 0.3843).rgba(), 1));
    EXPECT_EQ(view.originalImage().cacheKey(), original.cacheKey());
}

TEST_F(ViewsTest, ThemedButtonImages) {
    useTheme("SWDarkTheme");
    KPThemableButton button;
    button.setImageKey("helpIconImage");
    EXPECT_FALSE(button.image().isNull());
    EXPECT_EQ(button.alternateImage().cacheKey(), button.image().cacheKey());
    button.setAlternateImageKey("helpIconAlternateImage");
    EXPECT_NE(button.alternateImage().cacheKey(), button.image().cacheKey());

    KPThemableImageButton tinted;
    QImage square(4, 4, QImage::Format_ARGB32);
    square.fill(Qt::black);
    tinted.setImage(QIcon(QPixmap::fromImage(square)));
    tinted.setTintColorKey("spaceLabelColor");
    const QImage image = tinted.image().pixmap(QSize(4, 4)).toImage();
    EXPECT_TRUE(near(image.pixel(1, 1), rgb(0.2, 0.6196, 0.9647).rgba(), 1));
}

}  // namespace
