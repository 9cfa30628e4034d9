#pragma once

#include "appearance/kp_view.h"

// A view with a backdrop behind its content. The desktop offers no blur of what lies
// behind a window to applications here, so the backdrop is a themed plain view holding
// the theme's window background colour, placed below every other child.
class KPVisualEffectView : public KPView {
    Q_OBJECT
public:
    explicit KPVisualEffectView(QWidget* parent = nullptr);

    // Whether the backdrop stands for the window's own content rather than the desktop.
    bool withinWindow() const { return withinWindow_; }
    void setWithinWindow(bool within) { withinWindow_ = within; }
    KPThemableView* visualEffectView() const { return visualEffectView_; }
    // Adds the backdrop once.
    void addVisualEffectViewIfNeeded();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool withinWindow_ = false;
    KPThemableView* visualEffectView_ = nullptr;
};
