#pragma once

#include <QColor>
#include <QPointer>
#include <memory>

#include "appearance/kp_text_field.h"
#include "appearance/kp_view.h"
#include "appearance/theme_update.h"

class QPainter;
class QPainterPath;
class QVariantAnimation;

// The colour a hover widget lays over its own background. It fades to each new colour
// and its widget draws it only while hovered or fading, so at rest the widget's own
// background shows as it is at that moment, even if it changed since.
class SWHoverLayer {
public:
    static constexpr int kFadeDurationMs = 200;

    explicit SWHoverLayer(QWidget& widget);
    ~SWHoverLayer();
    SWHoverLayer(const SWHoverLayer&) = delete;
    SWHoverLayer& operator=(const SWHoverLayer&) = delete;

    QColor color() const { return color_; }
    bool isFading() const;
    // Fades while the widget is shown; at once when nobody can see it.
    void fadeTo(const QColor& color);
    // At once, ending a fade: the look of a new theme is not something to watch.
    void jumpTo(const QColor& color);
    void draw(QPainter& painter, const QPainterPath& area) const;

private:
    QWidget& widget_;
    QColor color_ = Qt::transparent;
    QColor target_ = Qt::transparent;
    std::unique_ptr<QVariantAnimation> fade_;
};

// A label that lights up under the pointer. Its resting text colour follows every change
// made while it is not showing its own hover colour (setTextColor, its colour key, the
// hover view it is linked to), so the pointer leaving never brings back a stale colour.
class SWHoverTextField : public KPThemableTextField {
    Q_OBJECT
public:
    explicit SWHoverTextField(QWidget* parent = nullptr);

    bool isHovered() const { return hovered_; }
    // None means clear.
    QColor hoverBackgroundColor() const { return hoverBackgroundColor_; }
    void setHoverBackgroundColor(const QColor& color) { hoverBackgroundColor_ = color; }
    // None keeps the resting colour under the pointer.
    QColor hoverTextColor() const { return hoverTextColor_; }
    void setHoverTextColor(const QColor& color) { hoverTextColor_ = color; }
    QColor originalTextColor() const { return originalTextColor_; }

    QColor layerBackgroundColor() const { return layer_.color(); }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor restingBackgroundColor() const;
    void showTextColor(const QColor& color);

    bool hovered_ = false;
    bool presentingHoverColor_ = false;
    QColor hoverBackgroundColor_;
    QColor hoverTextColor_;
    QColor originalTextColor_;
    SWHoverLayer layer_;
};

// A clickable header of the detail table: the selection colour lights it up under the
// pointer and its linked label takes the hover text colour. It is a button for the
// keyboard (Tab, then Space or Return) and for assistive technologies, named after its
// label unless given a name.
class SWHoverView : public KPView, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    static constexpr char kHoverBackgroundColorKey[] = "sidebarTableSelectedBackgroundColor";

    explicit SWHoverView(QWidget* parent = nullptr);

    bool isHovered() const { return hovered_; }
    // The current theme's colour, so a hovered header follows a theme change.
    QColor hoverBackgroundColor() const;
    // None keeps the label's own colour under the pointer.
    QColor hoverTextColor() const { return hoverTextColor_; }
    void setHoverTextColor(const QColor& color) { hoverTextColor_ = color; }
    // The label's colour away from the pointer.
    QColor originalTextColor() const { return originalTextColor_; }

    KPThemableTextField* linkedTextField() const { return linkedTextField_; }
    void setLinkedTextField(KPThemableTextField* field);

    QColor layerBackgroundColor() const { return layer_.color(); }

    // What a mouse click does, for the keyboard and assistive technologies.
    void click() { emit clicked(); }

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor restingBackgroundColor() const;
    void showHoverTextColor();
    void setLinkedTextColor(const QColor& color);

    bool hovered_ = false;
    QColor hoverTextColor_;
    QColor originalTextColor_;
    QPointer<KPThemableTextField> linkedTextField_;
    SWHoverLayer layer_;
    KPThemeObserver themeObserver_;
};
