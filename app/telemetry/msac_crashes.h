#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "app/telemetry/msac_app_center.h"
#include "app/telemetry/msac_ingestion.h"

// A crash of an earlier run, as its report tells it.
struct CrashReport {
    QString incidentIdentifier;  // unique; the report's file name
    QString signal;              // "SIGSEGV", "SIGABRT", ..., or "terminate"
    QString exceptionReason;     // what() of the exception that ended the run, if any
    QDateTime appErrorTime;
    QString appVersion;
    QString text;  // the whole report, backtrace included: what is sent
};

// Crash reporting: a crash writes a report to its folder
// ($XDG_STATE_HOME/sweepwell/crashes); at the next start the reports waiting there are
// put to the user through the confirmation handler, and sent or discarded as the user
// decides. Sending goes to the collector of MSACIngestion; without one a report the user
// lets go is discarded. Lives on the main thread.
class MSACCrashes : public QObject, public MSACService {
    Q_OBJECT
public:
    // The decisions of notifyWithUserConfirmation.
    enum UserConfirmation { DontSend = 0, Send = 1, Always = 2 };
    // Called with the waiting reports; true when it put them to the user, whose decision
    // then comes through notifyWithUserConfirmation. False sends them.
    using UserConfirmationHandler = std::function<bool(const QList<CrashReport>&)>;

    static MSACCrashes& sharedInstance();
    static QString defaultFolder();

    explicit MSACCrashes(const QString& folder = defaultFolder(),
                         MSACIngestion& ingestion = MSACIngestion::sharedInstance());

    // Installs the crash handlers and, from the event loop right after this call (so that
    // a handler set just after start is the one called), handles the reports of earlier
    // runs: without asking when the user chose "Always Send" before; else through the
    // confirmation handler; sent when there is none. Reports whose sending failed in an
    // earlier run are sent again without asking.
    void startWithAppSecret(const QString& appSecret) override;

    // Whether a report of an earlier run waits for a decision.
    bool hasPendingReports() const;

    void setUserConfirmationHandler(UserConfirmationHandler handler);
    // The user's decision on the reports given to the handler: DontSend deletes them,
    // Send sends them, Always sends them and every later one without asking. Another
    // value, or no report waiting, changes nothing (said in the system log).
    void notifyWithUserConfirmation(int userConfirmation);

private:
    void processPendingReports();
    QList<CrashReport> reports(const QString& suffix) const;
    QString reportPath(const CrashReport& report, const QString& suffix) const;
    void send(const CrashReport& report);
    void upload(const CrashReport& report);
    void discard(const CrashReport& report, const QString& suffix);

    QString folder_;
    MSACIngestion& ingestion_;
    UserConfirmationHandler userConfirmationHandler_;
    QList<CrashReport> awaitingConfirmation_;
    bool started_ = false;
};
