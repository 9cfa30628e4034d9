#pragma once

#include "base/hx_user_defaults.h"

// The settings of crash reporting, in the application's settings file.
class MSACUserDefaults : public HXUserDefaults {
public:
    static constexpr char kAlwaysSendCrashReportsKey[] = "MSACCrashesAlwaysSend";

    static MSACUserDefaults& standardUserDefaults();

    // Whether the user answered "Always Send": later reports are then sent without asking.
    bool alwaysSendCrashReports() const;
    void setAlwaysSendCrashReports(bool alwaysSend);

protected:
    MSACUserDefaults() = default;
    friend class HXUserDefaults;
};
