#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTimer>

#include "app/telemetry/msac_analytics.h"
#include "app/telemetry/msac_log_db_storage.h"
#include "tests/support/qt_printing.h"
#include "tests/support/recording_system_log.h"
#include "tests/telemetry/crasher_process.h"
#include "tests/telemetry/local_collector.h"

namespace {

class AnalyticsTest : public ::testing::Test {
protected:
    QString storePath() const { return folder.path() + QStringLiteral("/state/analytics.sqlite"); }
    QList<MSACLogDBStorage::Log> stored() const { return MSACLogDBStorage(storePath()).logs(1000); }
    QStringList storedTypes() const {
        QStringList types;
        for (const auto& log : stored())
            types.append(log.type);
        return types;
    }
    // Logs kept from an earlier run.
    void storeEarlierLogs(int count) {
        QDir().mkpath(folder.path() + QStringLiteral("/state"));
        MSACLogDBStorage store(storePath());
        for (int i = 0; i < count; ++i) {
            store.saveLog(QStringLiteral("earlier"), 1000 + i, {{QStringLiteral("n"), i}});
        }
    }

    QTemporaryDir folder;
    RecordedLog log;
};

TEST_F(AnalyticsTest, StartRecordsTheStartAndASessionAndSendsNothingWithoutACollector) {
    MSACIngestion offline{QUrl()};
    MSACAnalytics analytics(storePath(), offline);
    analytics.startWithAppSecret(QStringLiteral("secret"));
    QCoreApplication::processEvents();

    EXPECT_TRUE(analytics.isEnabled());
    const auto logs = stored();
    ASSERT_EQ(storedTypes(),
              (QStringList{QStringLiteral("start"), QStringLiteral("sessionStart")}));
    EXPECT_FALSE(logs[1].payload[QStringLiteral("sessionId")].toString().isEmpty());
    EXPECT_TRUE(offline.findChildren<QNetworkAccessManager*>().isEmpty());
}

// Measured from the process's own start, not from this test's: a fresh process.
TEST(AnalyticsStartTest, TheStartLogTellsHowLongTheStartTook) {
    QFile::remove(stateFolder() + QStringLiteral("/analytics.sqlite"));
    QElapsedTimer run;
    run.start();
    ASSERT_EQ(runCrasher("none"), 0);
    const qint64 runMilliseconds = run.elapsed();

    const auto logs =
        MSACLogDBStorage(stateFolder() + QStringLiteral("/analytics.sqlite")).logs(10);
    ASSERT_FALSE(logs.isEmpty());
    EXPECT_EQ(logs[0].type, QStringLiteral("start"));
    EXPECT_EQ(logs[0].payload[QStringLiteral("appVersion")].toString(), QStringLiteral("4.5.6"));
    ASSERT_TRUE(logs[0].payload.contains(QStringLiteral("startupMilliseconds")));
    const qint64 startup = logs[0].payload[QStringLiteral("startupMilliseconds")].toInteger();
    EXPECT_GE(startup, 0);
    // The clock ticks of /proc are 10 ms.
    EXPECT_LE(startup, runMilliseconds + 10);
}

TEST_F(AnalyticsTest, QuittingEndsTheSession) {
    MSACIngestion offline{QUrl()};
    MSACAnalytics analytics(storePath(), offline);
    analytics.startWithAppSecret(QStringLiteral("secret"));
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();

    const auto logs = stored();
    ASSERT_EQ(logs.size(), 3);
    EXPECT_EQ(logs[2].type, QStringLiteral("sessionEnd"));
    EXPECT_EQ(logs[2].payload[QStringLiteral("sessionId")],
              logs[1].payload[QStringLiteral("sessionId")]);
    EXPECT_GE(logs[2].payload[QStringLiteral("durationMilliseconds")].toInteger(-1), 0);
}

TEST_F(AnalyticsTest, PendingLogsGoAsOneCompressedJsonArrayAndLeaveOnceAccepted) {
    storeEarlierLogs(1);
    LocalCollector collector(200);
    MSACIngestion online(collector.url());
    MSACAnalytics analytics(storePath(), online);
    analytics.startWithAppSecret(QStringLiteral("the-secret"));

    ASSERT_TRUE(eventually([&] { return stored().isEmpty(); }));
    ASSERT_EQ(collector.requests().size(), 1);
    const LocalCollector::Request& request = collector.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.headers.value("content-encoding"), "deflate");
    EXPECT_EQ(request.headers.value("content-type"), "application/json");
    EXPECT_EQ(request.headers.value("app-secret"), "the-secret");
    const QJsonArray logs = request.logs();
    ASSERT_EQ(logs.size(), 3);
    const QJsonObject earlier = logs[0].toObject();
    EXPECT_EQ(earlier[QStringLiteral("type")].toString(), QStringLiteral("earlier"));
    EXPECT_EQ(earlier[QStringLiteral("timestamp")].toString(),
              QStringLiteral("1970-01-01T00:00:01.000Z"));
    EXPECT_EQ(earlier[QStringLiteral("payload")].toObject()[QStringLiteral("n")].toInt(), 0);
    EXPECT_EQ(logs[1].toObject()[QStringLiteral("type")].toString(), QStringLiteral("start"));
    EXPECT_EQ(logs[2].toObject()[QStringLiteral("type")].toString(),
              QStringLiteral("sessionStart"));
}

TEST_F(AnalyticsTest, LogsTheCollectorRefusesAreKept) {
    LocalCollector collector(500);
    MSACIngestion online(collector.url());
    MSACAnalytics analytics(storePath(), online);
    analytics.startWithAppSecret(QStringLiteral("secret"));

    ASSERT_TRUE(eventually([&] {
        return log.lines().join(u'\n').contains(QStringLiteral("upload failed (HTTP 500"));
    }));
    EXPECT_EQ(collector.requests().size(), 1);
    EXPECT_EQ(storedTypes(),
              (QStringList{QStringLiteral("start"), QStringLiteral("sessionStart")}));
}

TEST_F(AnalyticsTest, ManyPendingLogsGoInBatchesOfFifty) {
    storeEarlierLogs(60);
    LocalCollector collector(200);
    MSACIngestion online(collector.url());
    MSACAnalytics analytics(storePath(), online);
    analytics.startWithAppSecret(QStringLiteral("secret"));

    ASSERT_TRUE(eventually([&] { return stored().isEmpty(); }));
    ASSERT_EQ(collector.requests().size(), 2);
    EXPECT_EQ(collector.requests()[0].logs().size(), 50);
    EXPECT_EQ(collector.requests()[1].logs().size(), 12);
}

TEST_F(AnalyticsTest, AStoreThatCannotBeOpenedTurnsAnalyticsOffWithOneLine) {
    QFile notADatabase(storePath());
    QDir().mkpath(folder.path() + QStringLiteral("/state"));
    ASSERT_TRUE(notADatabase.open(QIODevice::WriteOnly));
    notADatabase.write(QByteArray(4096, 'x'));
    notADatabase.close();
    // A folder where the file should be.
    const QString folderInTheWay = folder.path() + QStringLiteral("/in-the-way.sqlite");
    QDir().mkpath(folderInTheWay);

    for (const QString& path : {storePath(), folderInTheWay}) {
        SCOPED_TRACE(path.toStdString());
        log.clear();
        MSACIngestion offline{QUrl()};
        MSACAnalytics analytics(path, offline);
        analytics.startWithAppSecret(QStringLiteral("secret"));
        EXPECT_FALSE(analytics.isEnabled());
        EXPECT_EQ(log.lines().size(), 1) << log.lines().join(u'\n').toStdString();
    }
}

TEST(LogStoreTest, KeepsTheNewestLogsUpToItsCapacity) {
    QTemporaryDir folder;
    MSACLogDBStorage store(folder.path() + QStringLiteral("/logs.sqlite"), 3);
    for (int i = 0; i < 5; ++i)
        store.saveLog(QString::number(i), i, {});
    QStringList kept;
    for (const auto& log : store.logs(10))
        kept.append(log.type);
    EXPECT_EQ(kept, (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
}

TEST(IngestionTest, TheCollectorComesFromTheEnvironmentAndOnlyAsAnHttpAddress) {
    RecordedLog log;
    const QByteArray saved = qgetenv(MSACIngestion::kEndpointVariable);
    qunsetenv(MSACIngestion::kEndpointVariable);
    EXPECT_TRUE(MSACIngestion::endpointFromEnvironment().isEmpty());
    qputenv(MSACIngestion::kEndpointVariable, "https://collector.example/v1/logs");
    EXPECT_EQ(MSACIngestion::endpointFromEnvironment(),
              QUrl(QStringLiteral("https://collector.example/v1/logs")));
    qputenv(MSACIngestion::kEndpointVariable, "file:///tmp/logs");
    EXPECT_TRUE(MSACIngestion::endpointFromEnvironment().isEmpty());
    EXPECT_EQ(log.lines().size(), 1);
    if (saved.isNull()) {
        qunsetenv(MSACIngestion::kEndpointVariable);
    } else {
        qputenv(MSACIngestion::kEndpointVariable, saved);
    }
}

}  // namespace
