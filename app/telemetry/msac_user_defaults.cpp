#include "app/telemetry/msac_user_defaults.h"

MSACUserDefaults& MSACUserDefaults::standardUserDefaults() {
    return sharedInstance<MSACUserDefaults>();
}

bool MSACUserDefaults::alwaysSendCrashReports() const {
    return boolValue(kAlwaysSendCrashReportsKey);
}

void MSACUserDefaults::setAlwaysSendCrashReports(bool alwaysSend) {
    setBoolValue(kAlwaysSendCrashReportsKey, alwaysSend);
}
