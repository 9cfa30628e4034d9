#include "app/kp_core.h"

KPCore& KPCore::sharedInstance() {
    static KPCore core;
    return core;
}

void KPCore::applicationDidLaunchWithConfig(const KPCConfig& config) {
    if (launched_) return;
    config_ = config;
    launched_ = true;
}

KPCHappinessManager& KPCHappinessManager::sharedInstance() {
    static KPCHappinessManager manager;
    return manager;
}
