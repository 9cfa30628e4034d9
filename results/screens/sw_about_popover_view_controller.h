#pragma once

#include <functional>

#include "appearance/kp_popover_view_controller.h"

class QComboBox;
class QLabel;
class TGSwitch;

// The program's name, version and copyright, with the two settings a person looks for
// there: the theme and the sound at the end of a scan.
class SWAboutPopoverViewController : public KPPopoverViewController {
    Q_OBJECT
public:
    static constexpr char kVersionFormat[] = "Version %1";
    // Stands for the current year in the form's copyright text.
    static constexpr char kCurrentYearPlaceholder[] = "CURRENT_YEAR";

    using DidCloseBlock = std::function<void()>;

    const DidCloseBlock& didCloseBlock() const { return didCloseBlock_; }
    void setDidCloseBlock(DidCloseBlock block) { didCloseBlock_ = std::move(block); }

    QLabel* appNameLabel();
    QLabel* appVersionLabel();
    QLabel* copyrightLabel();
    // Light, dark, follow the system: the values of the theme setting, in that order.
    QComboBox* themeDropDown();
    TGSwitch* notificationSoundSwitch();

    // The name is the application's display name (the program sets it; its plain name
    // is the lower-case command), the version its version.
    void setAppNameAndVersion();
    // Puts the current year in the copyright text the label holds.
    void setCopyright();

public slots:
    // The theme setting; the program chooses the theme again when it changes.
    void on_themeDropDown_activated(int index);
    void on_notificationSoundSwitch_activated();
    void on_supportButton_clicked();
    void on_moreAppsButton_clicked();
    void on_closeButton_clicked();

protected:
    void kp_viewDidLoad() override;

private:
    DidCloseBlock didCloseBlock_;
    bool closing_ = false;
};
