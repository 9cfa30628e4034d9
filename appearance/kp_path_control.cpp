#include "appearance/kp_path_control.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "appearance/kp_theme_manager.h"

namespace {

// Room on each side of the separator glyph.
constexpr qreal kSeparatorSpacing = 4.0;
// The separator is drawn fainter than the names it separates.
constexpr qreal kSeparatorOpacity = 0.6;

}  // namespace

// The component

SWPathComponentCell::SWPathComponentCell() {
    themeObserver_.configure(*this);
}

void SWPathComponentCell::applyTheme() {
    textColor_ = KPThemeManager::sharedManager().colorForKey(textColorKey_);
}

void SWPathComponentCell::draw(QPainter& painter, const QRectF& frame, const QString& title,
                               const QFont& font) const {
    painter.save();
    painter.setFont(font);
    painter.setPen(textColor_.isValid() ? textColor_
                                        : QApplication::palette().color(QPalette::WindowText));
    // Widths are measured unrounded: a name that was measured to fit is never elided.
    const QFontMetricsF metrics(font);
    const QString shown = metrics.horizontalAdvance(title) <= frame.width()
                              ? title
                              : metrics.elidedText(title, Qt::ElideMiddle, frame.width());
    painter.drawText(frame, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter.restore();
}

// The path

SWPathCell::SWPathCell() {
    themeObserver_.configure(*this);
}

void SWPathCell::applyTheme() {
    font_ = KPThemeManager::sharedManager().fontForKey(fontKey_).value_or(QApplication::font());
}

QStringList SWPathCell::componentsOfPath(const QString& path) {
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty() && path.startsWith(u'/')) return {QStringLiteral("/")};
    return parts;
}

qreal SWPathCell::widthOfComponents(const QStringList& components) const {
    const QFontMetricsF metrics(font_);
    qreal width = 0;
    for (qsizetype i = 0; i < components.size(); ++i) {
        if (i > 0) width += metrics.horizontalAdvance(QChar(kSeparator)) + 2 * kSeparatorSpacing;
        width += metrics.horizontalAdvance(components[i]);
    }
    return width;
}

QStringList SWPathCell::fittedComponents(qreal width) const {
    const QStringList all = componentsOfPath(path_);
    if (all.size() <= 2 || widthOfComponents(all) <= width) return all;
    const QString ellipsis(kEllipsis);
    for (qsizetype dropped = 1; dropped < all.size() - 1; ++dropped) {
        const QStringList shown = QStringList{all.first(), ellipsis} + all.mid(1 + dropped);
        if (widthOfComponents(shown) <= width) return shown;
    }
    return {all.first(), ellipsis, all.last()};
}

void SWPathCell::draw(QPainter& painter, const QRectF& frame) const {
    const QStringList components = fittedComponents(frame.width());
    const QFontMetricsF metrics(font_);
    qreal x = frame.left();
    for (qsizetype i = 0; i < components.size() && x < frame.right(); ++i) {
        if (i > 0) {
            const qreal glyph = metrics.horizontalAdvance(QChar(kSeparator));
            painter.save();
            painter.setOpacity(painter.opacity() * kSeparatorOpacity);
            componentCell_.draw(painter,
                                QRectF(x + kSeparatorSpacing, frame.top(), glyph, frame.height()),
                                QString(QChar(kSeparator)), font_);
            painter.restore();
            x += glyph + 2 * kSeparatorSpacing;
        }
        const bool last = i == components.size() - 1;
        const qreal width =
            last ? frame.right() - x
                 : std::min(metrics.horizontalAdvance(components[i]), frame.right() - x);
        componentCell_.draw(painter, QRectF(x, frame.top(), width, frame.height()), components[i],
                            font_);
        x += width;
    }
}

// The control

KPPathControl::KPPathControl(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(false);
    themeObserver_.configure(*this);
}

void KPPathControl::setURL(const QUrl& url) {
    url_ = url;
    cell_.setPath(url.isLocalFile() ? url.toLocalFile() : url.path());
    setAccessibleName(cell_.path());
    updateGeometry();
    update();
}

void KPPathControl::applyTheme() {
    updateGeometry();
    update();
}

QSize KPPathControl::sizeHint() const {
    const QStringList all = SWPathCell::componentsOfPath(cell_.path());
    return QSize(int(std::ceil(cell_.widthOfComponents(all))), QFontMetrics(cell_.font()).height());
}

QSize KPPathControl::minimumSizeHint() const {
    return QSize(0, QFontMetrics(cell_.font()).height());
}

void KPPathControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    cell_.draw(painter, QRectF(contentsRect()));
}

void KPPathControl::mousePressEvent(QMouseEvent* event) {
    event->ignore();
}
