#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

#include "appearance/theme_update.h"

class QVariantAnimation;

// An on/off switch: a rounded track that fills with the tint colour when on, and a
// white knob with a soft shadow that slides to the "on" side, widens while pressed and
// follows the pointer while dragged. Every click or drag flips it. Reachable with the
// keyboard (space flips it, the arrow keys turn it off and on) and announced to
// assistive technology as a check box.
class TGSwitch : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool checked READ checked WRITE setChecked NOTIFY checkedChanged)
public:
    static constexpr int kAnimationDurationMs = 400;
    static constexpr qreal kDisabledOpacity = 0.5;

    // What the switch draws, once any animation has finished.
    struct Layers {
        QColor trackBackground;
        QColor trackBorder;
        qreal trackCornerRadius = 0;
        QRectF knob;
        qreal knobCornerRadius = 0;
        qreal opacity = 1;
    };

    explicit TGSwitch(QWidget* parent = nullptr);
    ~TGSwitch() override;

    bool checked() const { return checked_; }
    void setChecked(bool checked) { setChecked(checked, true); }
    void setChecked(bool checked, bool animated);

    // Track and border colour when on; a green unless set.
    QColor tintColor() const;
    void setTintColor(const QColor& color);
    // Border colour of the track when off; black at alpha 0.2 unless set.
    QColor disabledBorderColor() const;
    void setDisabledBorderColor(const QColor& color);

    bool active() const { return active_; }
    bool dragged() const { return dragged_; }
    bool draggingTowardsOn() const { return draggingTowardsOn_; }
    int backgroundStyle() const { return backgroundStyle_; }
    void setBackgroundStyle(int style) { backgroundStyle_ = style; }

    Layers layers() const { return model_; }
    QRectF rectForKnob() const;

    QSize sizeHint() const override { return QSize(38, 22); }

signals:
    // The value changed (the bindable value).
    void checkedChanged(bool checked);
    // The user changed the switch: by mouse, keyboard or assistive technology.
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TGSwitchAccessible;

    void drawLayers(QPainter& painter) const;
    bool showsOn() const;
    Layers targetLayers() const;
    void reloadLayerAnimated(bool animated);
    void reloadLayerSize();
    // Sets the value as the user asked and tells the target.
    void userSetChecked(bool checked);

    bool checked_ = false;
    QColor tintColor_;
    QColor disabledBorderColor_;
    bool active_ = false;
    bool dragged_ = false;
    bool draggingTowardsOn_ = false;
    int backgroundStyle_ = 0;

    Layers model_;
    Layers presented_;
    Layers animationStart_;
    QVariantAnimation* animation_;
};

// A switch whose off-state border colour is a theme key.
class SWThemableTGSwitch : public TGSwitch, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit SWThemableTGSwitch(QWidget* parent = nullptr);

    QString disabledBorderColorKey() const { return disabledBorderColorKey_; }
    void setDisabledBorderColorKey(const QString& key);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString disabledBorderColorKey_;
    KPThemeObserver themeObserver_;
};
