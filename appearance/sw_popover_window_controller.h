#pragma once

#include <QParallelAnimationGroup>
#include <QPointer>

#include "appearance/kp_view.h"
#include "appearance/kp_window_controller.h"

class SWPopoverWindowController;

// What the opener of an anchored popover learns; both are optional.
class SWPopoverDelegate {
public:
    virtual void popoverWillClose(SWPopoverWindowController*) {}
    virtual void popoverDidClose(SWPopoverWindowController*) {}

protected:
    ~SWPopoverDelegate() = default;
};

// The borderless panel of an anchored popover; it takes the keyboard when shown. The
// window itself is transparent: it paints a rounded card, under the content view, and
// the card's soft shadow in a margin around it, nothing else. (The shadow is painted
// here rather than by a QGraphicsDropShadowEffect on the content, which would render
// the whole content offscreen again for every repaint of any control inside.)
class SWPopoverPanel : public KPYosemitePanel, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    static constexpr char kCardColorKey[] = "popoverBackgroundColor";
    static constexpr qreal kCardCornerRadius = 8;
    // Wide enough for the shadow to fade out before the window's edge.
    static constexpr int kShadowMargin = 16;

    explicit SWPopoverPanel(QWidget* parent = nullptr);
    void applyTheme() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor cardColor_;
    KPThemeObserver themeObserver_;
};

// A small panel that opens just below an anchor rectangle in another view, growing and
// fading in, and closes by shrinking and fading out as soon as it stops being the
// active window. Requests that arrive while it animates are dropped.
class SWPopoverWindowController : public KPWindowController {
    Q_OBJECT
public:
    // Opens left-aligned with the anchor; kCentredEdge centres it under the anchor.
    static constexpr int kCentredEdge = 4;
    static constexpr int kCloseMilliseconds = 200;
    static constexpr int kOpenMilliseconds = 250;
    static constexpr int kSettleMilliseconds = 100;
    static constexpr int kGrowMargin = 2;

    void setDelegate(SWPopoverDelegate* delegate) { delegate_ = delegate; }
    SWPopoverDelegate* delegate() const { return delegate_; }
    bool animating() const { return animating_; }

    // The panel's frame for that anchor: the card below it, kept inside the screen's
    // right edge, and the shadow margins around the card.
    QRect frameRelativeToRect(const QRect& rect, QWidget* view, int preferredEdge) const;
    void showRelativeToRect(const QRect& rect, QWidget* view, int preferredEdge);
    void close();

protected:
    SWPopoverWindowController() = default;
    KPYosemiteWindow* makeWindow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class KPWindowController;
    void animate(const QRect& frame, qreal opacity, int milliseconds, std::function<void()> done);
    void settle();

    SWPopoverDelegate* delegate_ = nullptr;
    bool animating_ = false;
};

// The shadowed card inside modal windows, drawn 20 points in from every side and 40
// points short of the bottom.
class SWModalWindowBackgroundView : public KPThemableView {
    Q_OBJECT
public:
    explicit SWModalWindowBackgroundView(QWidget* parent = nullptr);
    QRectF drawingBounds() const override;
};
