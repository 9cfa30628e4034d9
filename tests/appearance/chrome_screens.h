#pragma once

#include <QStringList>

#include "appearance/kp_view_controller.h"

// A screen with a form of its own that records its hooks, and one that reuses it.
class ChromeTestScreen : public KPViewController {
    Q_OBJECT
public:
    QStringList events;
    int actions = 0;

    void kp_viewDidLoad() override { events << "load"; }
    void kp_viewWillAppear() override { events << "willAppear"; }
    void kp_viewDidAppear() override { events << "didAppear"; }
    void kp_viewWillDisappear() override { events << "willDisappear"; }
    void kp_viewDidDisappear() override { events << "didDisappear"; }

public slots:
    void on_nextButton_clicked() { ++actions; }
    // The label's signal carries a string: a slot taking a number must not be connected.
    void on_titleLabel_linkActivated(int) { ++actions; }
};

class ChromeTestSubScreen : public ChromeTestScreen {
    Q_OBJECT
};

class ChromeTestGrandchildScreen : public ChromeTestSubScreen {
    Q_OBJECT
};
