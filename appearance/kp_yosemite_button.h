#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <memory>
#include <optional>

#include "appearance/kp_drawing.h"

class QPropertyAnimation;

// A vertical gradient from `top` to `bottom`; one colour makes a flat fill.
struct KPGradient {
    QColor top;
    QColor bottom;
    static KPGradient flat(const QColor& color) { return {color, color}; }
};

// How a drawn button looks in its normal, hovered and pressed states: a rounded bezel
// with a shadow, fill colour, gradient and stroke, and a centred title. Variants
// override the getters; every value is none unless set or overridden. A hovered or
// pressed state takes the normal value for anything it does not define.
class KPYosemiteButtonCell {
public:
    KPYosemiteButtonCell();
    virtual ~KPYosemiteButtonCell() = default;

    // Set by the owning button.
    bool mouseDown() const { return mouseDown_; }
    void setMouseDown(bool down) { mouseDown_ = down; }
    bool hovered() const { return hovered_; }
    void setHovered(bool hovered) { hovered_ = hovered; }

    virtual std::optional<KPShadow> shadow() const { return shadow_; }
    void setShadow(const std::optional<KPShadow>& shadow) { shadow_ = shadow; }
    virtual qreal cornerRadius() const { return 3.0; }

    virtual QColor titleColor() const { return titleColor_; }
    virtual QColor strokeColor() const { return strokeColor_; }
    virtual QColor backgroundColor() const { return backgroundColor_; }
    virtual std::optional<KPGradient> backgroundGradient() const { return backgroundGradient_; }
    virtual QColor titleColorPressed() const { return titleColorPressed_; }
    virtual QColor strokeColorPressed() const { return strokeColorPressed_; }
    virtual QColor backgroundColorPressed() const { return backgroundColorPressed_; }
    virtual std::optional<KPGradient> backgroundGradientPressed() const {
        return backgroundGradientPressed_;
    }
    virtual QColor titleColorHovered() const { return titleColorHovered_; }
    virtual QColor strokeColorHovered() const { return strokeColorHovered_; }
    virtual QColor backgroundColorHovered() const { return backgroundColorHovered_; }
    virtual std::optional<KPGradient> backgroundGradientHovered() const {
        return backgroundGradientHovered_;
    }

    void setTitleColor(const QColor& c) { titleColor_ = c; }
    void setStrokeColor(const QColor& c) { strokeColor_ = c; }
    void setBackgroundColor(const QColor& c) { backgroundColor_ = c; }
    void setBackgroundGradient(const std::optional<KPGradient>& g) { backgroundGradient_ = g; }
    void setTitleColorPressed(const QColor& c) { titleColorPressed_ = c; }
    void setStrokeColorPressed(const QColor& c) { strokeColorPressed_ = c; }
    void setBackgroundColorPressed(const QColor& c) { backgroundColorPressed_ = c; }
    void setBackgroundGradientPressed(const std::optional<KPGradient>& g) {
        backgroundGradientPressed_ = g;
    }
    void setTitleColorHovered(const QColor& c) { titleColorHovered_ = c; }
    void setStrokeColorHovered(const QColor& c) { strokeColorHovered_ = c; }
    void setBackgroundColorHovered(const QColor& c) { backgroundColorHovered_ = c; }
    void setBackgroundGradientHovered(const std::optional<KPGradient>& g) {
        backgroundGradientHovered_ = g;
    }

    // What the bezel is drawn with in the current state.
    struct Look {
        QColor stroke;
        QColor background;
        std::optional<KPGradient> gradient;
    };
    Look currentLook() const;
    // The title colour in the current state.
    QColor currentTitleColor() const;

    void drawBezel(QPainter& painter, const QRectF& frame) const;
    void drawInterior(QPainter& painter, const QRectF& frame, const QString& title,
                      const QFont& font) const;

private:
    bool mouseDown_ = false;
    bool hovered_ = false;
    std::optional<KPShadow> shadow_;
    QColor titleColor_, strokeColor_, backgroundColor_;
    QColor titleColorPressed_, strokeColorPressed_, backgroundColorPressed_;
    QColor titleColorHovered_, strokeColorHovered_, backgroundColorHovered_;
    std::optional<KPGradient> backgroundGradient_, backgroundGradientPressed_,
        backgroundGradientHovered_;
};

// The flat coloured variants: radius 4, no shadow, white titles, no stroke.
class KPFlatYosemiteButtonCell : public KPYosemiteButtonCell {
public:
    std::optional<KPShadow> shadow() const override { return std::nullopt; }
    qreal cornerRadius() const override { return 4.0; }
    QColor titleColor() const override { return Qt::white; }
    QColor titleColorPressed() const override { return Qt::white; }
};

class KPGrayYosemiteButtonCell : public KPFlatYosemiteButtonCell {
public:
    std::optional<KPGradient> backgroundGradient() const override;
    std::optional<KPGradient> backgroundGradientPressed() const override;
    std::optional<KPGradient> backgroundGradientHovered() const override;
};

class KPRedYosemiteButtonCell : public KPFlatYosemiteButtonCell {
public:
    std::optional<KPGradient> backgroundGradient() const override;
    std::optional<KPGradient> backgroundGradientPressed() const override;
    std::optional<KPGradient> backgroundGradientHovered() const override;
};

class KPTealYosemiteButtonCell : public KPFlatYosemiteButtonCell {
public:
    std::optional<KPGradient> backgroundGradient() const override;
    std::optional<KPGradient> backgroundGradientPressed() const override;
    std::optional<KPGradient> backgroundGradientHovered() const override;
};

class KPUpdatedBlueYosemiteButtonCell : public KPFlatYosemiteButtonCell {
public:
    std::optional<KPGradient> backgroundGradient() const override;
    std::optional<KPGradient> backgroundGradientPressed() const override;
    std::optional<KPGradient> backgroundGradientHovered() const override;
};

class KPGreenYosemiteButtonCell : public KPYosemiteButtonCell {
public:
    QColor titleColor() const override { return Qt::white; }
    QColor titleColorPressed() const override { return Qt::white; }
    std::optional<KPGradient> backgroundGradient() const override;
    std::optional<KPGradient> backgroundGradientPressed() const override;
    QColor strokeColor() const override;
    QColor strokeColorPressed() const override;
};

// The white push button (a cell, despite its name).
class KPNormalYosemiteButton : public KPYosemiteButtonCell {
public:
    QColor titleColor() const override;
    QColor titleColorPressed() const override { return Qt::white; }
    QColor backgroundColor() const override { return Qt::white; }
    QColor backgroundColorPressed() const override { return Qt::white; }
    std::optional<KPGradient> backgroundGradientPressed() const override;
    QColor strokeColor() const override;
    QColor strokeColorPressed() const override;
};

class KPBlueYosemiteButtonCell : public KPNormalYosemiteButton {
public:
    QColor titleColor() const override { return Qt::white; }
    std::optional<KPGradient> backgroundGradient() const override;
    std::optional<KPGradient> backgroundGradientPressed() const override;
    QColor strokeColor() const override;
    QColor strokeColorPressed() const override;
};

// A push button drawn by its cell: pressed while the mouse is down on it (without
// tracking the pointer out and back), clicked when released inside, a pointing hand
// while hovered, and faded to half opacity when disabled.
class KPYosemiteButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(qreal alphaValue READ alphaValue WRITE setAlphaValue)
public:
    static constexpr qreal kDisabledAlpha = 0.5;
    static constexpr int kFadeDurationMs = 250;

    explicit KPYosemiteButton(QWidget* parent = nullptr);
    KPYosemiteButton(std::unique_ptr<KPYosemiteButtonCell> cell, const QString& title,
                     QWidget* parent = nullptr);
    ~KPYosemiteButton() override;

    KPYosemiteButtonCell& buttonCell() const { return *cell_; }
    void setCell(std::unique_ptr<KPYosemiteButtonCell> cell);

    qreal alphaValue() const { return alphaValue_; }
    void setAlphaValue(qreal alpha);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<KPYosemiteButtonCell> cell_;
    qreal alphaValue_ = 1.0;
    QPropertyAnimation* fade_;
};
