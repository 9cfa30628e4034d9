#pragma once

#include <QList>
#include <QWidget>

#include "appearance/kp_yosemite_window.h"

// Replica close, minimise and zoom buttons that show grey discs until the mouse is over
// the group, then their colours; the window's own buttons are hidden while it is shown.
class KPCustomWindowButtonView : public QWidget {
    Q_OBJECT
public:
    explicit KPCustomWindowButtonView(QWidget* parent = nullptr);

    bool mouseInside() const { return mouseInside_; }
    const QList<KPWindowButton*>& buttons() const { return buttons_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void setMouseInside(bool inside);
    void hideWindowButtons();

    bool mouseInside_ = false;
    QList<KPWindowButton*> buttons_;
};
