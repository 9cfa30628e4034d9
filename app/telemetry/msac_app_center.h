#pragma once

#include <QList>
#include <QString>

// The application secret of the analytics service: it names this application to the
// collector that receives its logs and crash reports, and nothing else. It is not
// confidential (every copy of the program carries it).
inline constexpr char kSweepwellAppSecret[] = "6b1f0e4c9a2d47e58c3b7f1d2e9a4c60";

// The secret in the form of a UUID: 32 characters become groups of 8-4-4-4-12 joined
// with "-"; a string of another length is kept as it is when it already contains "-".
// Any other string has no UUID form and yields a null QString.
QString formattedAppSecret(const QString& secret);

// Where crash reports and pending analytics logs are kept:
// $XDG_STATE_HOME/sweepwell (~/.local/state/sweepwell).
QString telemetryStateFolder();

// A service the entry class starts.
class MSACService {
public:
    virtual ~MSACService() = default;
    virtual void startWithAppSecret(const QString& appSecret) = 0;
};

// The entry to crash reporting and usage analytics.
class MSACAppCenter {
public:
    // Starts the services in the order given, once per process: a later call, or a call
    // without a secret, starts nothing and says so in the system log.
    static void start(const QString& appSecret, const QList<MSACService*>& services);

private:
    static bool& configured();
};
