#include "appearance/sw_light_theme.h"

#include <QColor>
#include <QDir>
#include <QFontDatabase>

namespace {

// The themes were drawn for a typeface whose files may not be redistributed with this
// program, so they use Inter (SIL Open Font License), embedded from Debian's
// fonts-inter at build time: the same four weights, of the same humanist sans kind.
constexpr char kBaseFontName[] = "Inter";
constexpr char kFontFolder[] = ":/fonts";

}  // namespace

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void registerBundledFonts() {
    Q_INIT_RESOURCE(fonts);
    const QStringList files = QDir(kFontFolder).entryList({"*.otf"}, QDir::Files);
    for (const QString& file : files) {
        QFontDatabase::addApplicationFont(QStringLiteral("%1/%2").arg(kFontFolder, file));
    }
}

SWLightTheme::SWLightTheme() {
    static const bool registered = (registerBundledFonts(), true);
    Q_UNUSED(registered);
}

QString SWLightTheme::baseFontName() const {
    return QString::fromLatin1(kBaseFontName);
}

namespace {

std::optional<QFont> face(const QString& family, const QString& style, QFont::Weight weight,
                          double size) {
    if (!QFontDatabase::styles(family).contains(style)) return std::nullopt;
    QFont font(family);
    font.setWeight(weight);
    // A point of the original design is one device-independent pixel.
    font.setPixelSize(qRound(size));
    return font;
}

}  // namespace

std::optional<QFont> SWLightTheme::fontOfSize(double size) const {
    return face(baseFontName(), QStringLiteral("Regular"), QFont::Normal, size);
}

std::optional<QFont> SWLightTheme::mediumFontOfSize(double size) const {
    return face(baseFontName(), QStringLiteral("Medium"), QFont::Medium, size);
}

std::optional<QFont> SWLightTheme::semiboldFontOfSize(double size) const {
    return face(baseFontName(), QStringLiteral("Semi Bold"), QFont::DemiBold, size);
}

std::optional<QFont> SWLightTheme::boldFontOfSize(double size) const {
    return face(baseFontName(), QStringLiteral("Bold"), QFont::Bold, size);
}

QVariant SWLightTheme::rgb(double red, double green, double blue) {
    return QColor::fromRgbF(float(red), float(green), float(blue));
}

QVariant SWLightTheme::white(double white, double alpha) {
    return QColor::fromRgbF(float(white), float(white), float(white), float(alpha));
}

QVariant SWLightTheme::withAlpha(const QVariant& color, double alpha) {
    if (color.metaType() != QMetaType::fromType<QColor>()) return {};
    QColor result = color.value<QColor>();
    result.setAlphaF(float(alpha));
    return result;
}

QVariant SWLightTheme::fontValue(const std::optional<QFont>& font) {
    return font ? QVariant(*font) : QVariant();
}

QVariant SWLightTheme::windowColor() const {
    return white(1.0);
}
QVariant SWLightTheme::windowHeaderColor() const {
    return rgb(0.9804, 0.9804, 0.9804);
}
QVariant SWLightTheme::windowHeaderSeparatorColor() const {
    return rgb(0.7569, 0.7608, 0.7647);
}
QVariant SWLightTheme::textFont() const {
    return fontValue(fontOfSize(baseFontSize()));
}
// The Medium face, not Bold.
QVariant SWLightTheme::boldTextFont() const {
    return fontValue(mediumFontOfSize(baseFontSize()));
}
QVariant SWLightTheme::semiBoldTextFont() const {
    return fontValue(semiboldFontOfSize(baseFontSize()));
}
QVariant SWLightTheme::smallSemiBoldTextFont() const {
    return fontValue(semiboldFontOfSize(baseFontSize() - 1));
}
QVariant SWLightTheme::textColor() const {
    return rgb(0.2235, 0.2392, 0.2549);
}
QVariant SWLightTheme::deviceHeaderFont() const {
    return fontValue(mediumFontOfSize(15));
}
QVariant SWLightTheme::deviceHeaderColor() const {
    return rgb(0.0784, 0.0824, 0.0902);
}
QVariant SWLightTheme::deviceDropDownIndicatorColor() const {
    return deviceHeaderColor();
}
QVariant SWLightTheme::deviceHeaderBackgroundColor() const {
    return white(1.0);
}
QVariant SWLightTheme::deviceHeaderBorderColor() const {
    return rgb(0.7608, 0.7725, 0.7843);
}
QVariant SWLightTheme::sidebarColor() const {
    return rgb(0.9725, 0.9804, 0.9804);
}
QVariant SWLightTheme::sidebarTableTitleFont() const {
    return fontValue(fontOfSize(15));
}
QVariant SWLightTheme::sidebarTableSubtitleFont() const {
    return fontValue(fontOfSize(11));
}
QVariant SWLightTheme::sidebarTableTitleColor() const {
    return rgb(0.2314, 0.2471, 0.2588);
}
QVariant SWLightTheme::sidebarTableSubtitleColor() const {
    return withAlpha(sidebarTableTitleColor(), 0.8);
}
QVariant SWLightTheme::progressIndicatorColor() const {
    return rgb(0.3647, 0.3647, 0.3843);
}
QVariant SWLightTheme::sidebarTableImageColor() const {
    return rgb(0.3647, 0.3647, 0.3843);
}
QVariant SWLightTheme::sidebarTableImageColorActive() const {
    return white(1.0);
}
QVariant SWLightTheme::sidebarTableSelectedBackgroundColor() const {
    return rgb(0.0, 0.4431, 1.0);
}
QVariant SWLightTheme::switchBorderColor() const {
    return white(0.0, 0.3);
}
QVariant SWLightTheme::sidebarDisabledTitleBackgroundColor() const {
    return rgb(0.8549, 0.9137, 0.9373);
}
QVariant SWLightTheme::sidebarDisabledTitleColor() const {
    return textColor();
}
QVariant SWLightTheme::sidebarDisabledTitleFont() const {
    return fontValue(mediumFontOfSize(13));
}
QVariant SWLightTheme::detailsTableTitleFont() const {
    return textFont();
}
QVariant SWLightTheme::detailsTableTitleColor() const {
    return textColor();
}
QVariant SWLightTheme::detailsTableSeparatorColor() const {
    return rgb(0.9294, 0.9294, 0.9294);
}
QVariant SWLightTheme::detailsTableHeaderColor() const {
    return rgb(0.2588, 0.2588, 0.2588);
}
QVariant SWLightTheme::detailsTableHeaderFont() const {
    return fontValue(mediumFontOfSize(14));
}
QVariant SWLightTheme::detailTableSelectedBackgroundColor() const {
    return rgb(0.9647, 0.9843, 1.0);
}
QVariant SWLightTheme::detailsInfoIconColor() const {
    return rgb(0.2, 0.6196, 0.9647);
}
QVariant SWLightTheme::detailsInfoBackgroundColor() const {
    return rgb(0.9647, 0.9843, 1.0);
}
QVariant SWLightTheme::detailsInfoBorderColor() const {
    return rgb(0.8667, 0.9294, 0.9843);
}
QVariant SWLightTheme::popoverOverlayBackgroundColor() const {
    return white(0.0, 0.3);
}
QVariant SWLightTheme::popoverOverlayBackgroundColorOnboarding() const {
    return rgb(0.9451, 0.9529, 0.9804);
}
QVariant SWLightTheme::popoverBackgroundColor() const {
    return windowColor();
}
QVariant SWLightTheme::popoverTitleFont() const {
    return fontValue(fontOfSize(13));
}
QVariant SWLightTheme::bottomToolbarLabelHeaderColor() const {
    return textColor();
}
QVariant SWLightTheme::bottomToolbarLabelHeaderFont() const {
    return fontValue(mediumFontOfSize(14));
}
QVariant SWLightTheme::bottomToolbarLabelColor() const {
    return textColor();
}
QVariant SWLightTheme::bottomToolbarLabelFont() const {
    return fontValue(fontOfSize(14));
}
QVariant SWLightTheme::overlayWindowTitleFont() const {
    return fontValue(semiboldFontOfSize(18));
}
QVariant SWLightTheme::overlayWindowTitleColor() const {
    return rgb(0.1686, 0.4824, 0.7961);
}
QVariant SWLightTheme::errorViewSubtitleFont() const {
    return fontValue(fontOfSize(12));
}
QVariant SWLightTheme::errorViewLabelFont() const {
    return fontValue(mediumFontOfSize(13));
}
QVariant SWLightTheme::spaceLabelColor() const {
    return rgb(0.0, 0.4627, 0.8431);
}
