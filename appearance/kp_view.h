#pragma once

#include <QColor>
#include <QIcon>
#include <QWidget>
#include <optional>

#include "appearance/kp_drawing.h"
#include "appearance/theme_update.h"

// The drawing view most custom views build on: a rounded rectangle with an optional
// fill, border, shadow and background image.
class KPView : public QWidget {
    Q_OBJECT
public:
    explicit KPView(QWidget* parent = nullptr);

    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);
    // The border, width and radius are set up before the view is shown: storing them
    // does not redraw.
    QColor borderColor() const { return borderColor_; }
    void setBorderColor(const QColor& color) { borderColor_ = color; }
    qreal borderWidth() const { return borderWidth_; }
    void setBorderWidth(qreal width) { borderWidth_ = width; }
    qreal cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(qreal radius) { cornerRadius_ = radius; }
    QIcon backgroundImage() const { return backgroundImage_; }
    void setBackgroundImage(const QIcon& image);
    std::optional<KPShadow> shadow() const { return shadow_; }
    void setShadow(const std::optional<KPShadow>& shadow);

    // The rectangle drawn into.
    virtual QRectF drawingBounds() const { return QRectF(rect()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor backgroundColor_;
    QColor borderColor_;
    qreal borderWidth_ = 0;
    qreal cornerRadius_ = 0;
    QIcon backgroundImage_;
    std::optional<KPShadow> shadow_;
};

// A KPView whose fill and border colours are theme keys.
class KPThemableView : public KPView, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableView(QWidget* parent = nullptr);

    QString backgroundColorKey() const { return backgroundColorKey_; }
    void setBackgroundColorKey(const QString& key);
    QString borderColorKey() const { return borderColorKey_; }
    void setBorderColorKey(const QString& key);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString backgroundColorKey_;
    QString borderColorKey_;
    KPThemeObserver themeObserver_;
};

// A themed view that keeps the mouse from what lies beneath it (a popover's dimming).
class KPNoInteractionView : public KPThemableView {
    Q_OBJECT
public:
    explicit KPNoInteractionView(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

// The rounded card that holds a popover's content, with its shadow drawn inside the
// view's bounds.
class EOContainerView : public KPThemableView {
    Q_OBJECT
public:
    static constexpr char kBackgroundColorKey[] = "popoverBackgroundColor";
    explicit EOContainerView(QWidget* parent = nullptr);
    QRectF drawingBounds() const override;
};
