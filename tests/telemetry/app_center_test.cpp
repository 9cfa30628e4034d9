#include <gtest/gtest.h>

#include "app/telemetry/msac_app_center.h"
#include "tests/support/qt_printing.h"
#include "tests/support/recording_system_log.h"

namespace {

// Notes "name secret" in a list shared with other services when started.
class RecordingService : public MSACService {
public:
    RecordingService(const QString& name, QStringList& started) : name_(name), started_(started) {}
    void startWithAppSecret(const QString& appSecret) override {
        started_.append(name_ + u' ' + appSecret);
    }

private:
    QString name_;
    QStringList& started_;
};

TEST(AppSecretTest, ThirtyTwoCharactersAreGroupedAsAUuid) {
    EXPECT_EQ(formattedAppSecret(QStringLiteral("0123456789abcdef0123456789ABCDEF")),
              QStringLiteral("01234567-89ab-cdef-0123-456789ABCDEF"));
    EXPECT_EQ(formattedAppSecret(QString::fromLatin1(kSweepwellAppSecret)).size(), 36);
}

TEST(AppSecretTest, OtherLengthsPassOnlyWhenAlreadyHyphenated) {
    EXPECT_EQ(formattedAppSecret(QStringLiteral("0123-4567")), QStringLiteral("0123-4567"));
    EXPECT_EQ(formattedAppSecret(QStringLiteral("01234567-89ab-cdef-0123-456789abcdef")),
              QStringLiteral("01234567-89ab-cdef-0123-456789abcdef"));
    EXPECT_TRUE(formattedAppSecret(QStringLiteral("0123456789abcdef")).isNull());
    EXPECT_TRUE(formattedAppSecret(QString()).isNull());
}

// The only test of the process-wide start: it can happen once per process.
TEST(AppCenterTest, StartsTheServicesInOrderOncePerProcess) {
    RecordedLog log;
    QStringList started;
    RecordingService analytics(QStringLiteral("analytics"), started);
    RecordingService crashes(QStringLiteral("crashes"), started);

    MSACAppCenter::start(QString(), {&analytics, &crashes});
    EXPECT_TRUE(started.isEmpty());

    MSACAppCenter::start(QStringLiteral("the-secret"), {&analytics, &crashes});
    EXPECT_EQ(started, (QStringList{QStringLiteral("analytics the-secret"),
                                    QStringLiteral("crashes the-secret")}));

    log.clear();
    MSACAppCenter::start(QStringLiteral("another"), {&analytics, &crashes});
    EXPECT_EQ(started.size(), 2);
    EXPECT_EQ(log.lines().size(), 1);
}

}  // namespace
