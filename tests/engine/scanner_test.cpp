#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <mutex>

#include "engine/scanner.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"

namespace {

bool onMainThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Lets a test decide the order in which categories finish, without sleeping.
class Gate {
public:
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

class GatedItem : public QSScanItem {
public:
    GatedItem(QString key, QString path, Gate* waitFor = nullptr)
        : key_(std::move(key)), path_(std::move(path)), waitFor_(waitFor) {}
    QString title() const override { return key_.toUpper(); }
    QString key() const override { return key_; }
    QString path() const override { return path_; }
    QSScanResultPtr actuallyScan() override {
        if (waitFor_) waitFor_->wait();
        auto result = QSScanItem::actuallyScan();
        sandboxedDuringScan = isSandboxed();
        return result;
    }
    bool sandboxedDuringScan = false;

private:
    QString key_;
    QString path_;
    Gate* waitFor_;
};

class ScannerTest : public ::testing::Test {
protected:
    FixtureHome home_;
    FakePlatform platform_{home_.path()};
};

TEST_F(ScannerTest, ResultsComeInListOrderAfterEveryFinishedBlockOnTheMainThread) {
    Gate firstMayFinish;
    const QString folder = home_.folder(QStringLiteral("x"));
    // "a" waits until "c" has been reported finished, so categories finish out of list
    // order.
    auto a = std::make_shared<GatedItem>(QStringLiteral("a"), folder, &firstMayFinish);
    auto b = std::make_shared<GatedItem>(QStringLiteral("b"), QString());
    auto c = std::make_shared<GatedItem>(QStringLiteral("c"), folder);
    QSScanner scanner(true);
    scanner.setScanItems({a, b, c});
    QList<qsizetype> finishedOrder;
    QList<QSScanResultPtr> results;
    bool completed = false;
    scanner.scanVolume(
        QStringLiteral("/"),
        [&](const QList<QSScanResultPtr>& all) {
            EXPECT_TRUE(onMainThread());
            EXPECT_EQ(finishedOrder.size(), 3);
            results = all;
            completed = true;
        },
        [&](const QSScanResultPtr& result, qsizetype index) {
            EXPECT_TRUE(onMainThread());
            EXPECT_FALSE(completed);
            EXPECT_EQ(result->key(), scanner.scanItems()[index]->key());
            finishedOrder.append(index);
            if (index == 2) firstMayFinish.open();
        });
    ASSERT_TRUE(waitUntil([&] { return completed; }));
    ASSERT_EQ(results.size(), 3);
    EXPECT_EQ(results[0]->key(), u"a");
    EXPECT_EQ(results[1]->key(), u"b");
    EXPECT_EQ(results[2]->key(), u"c");
    EXPECT_TRUE(results[1]->disabled());
    EXPECT_LT(finishedOrder.indexOf(2), finishedOrder.indexOf(0));
    EXPECT_TRUE(a->sandboxedDuringScan);
    EXPECT_EQ(a->result(), results[0]);
}

TEST_F(ScannerTest, ACompletionComesWithoutAFinishedBlockAndForAnEmptyList) {
    QSScanner scanner(false);
    scanner.setScanItems(
        {std::make_shared<GatedItem>(QStringLiteral("a"), home_.abs(QStringLiteral("missing")))});
    QList<QSScanResultPtr> results;
    bool completed = false;
    scanner.scanVolume(QStringLiteral("/"), [&](const QList<QSScanResultPtr>& all) {
        results = all;
        completed = true;
    });
    ASSERT_TRUE(waitUntil([&] { return completed; }));
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0]->disabled());

    scanner.setScanItems({});
    completed = false;
    scanner.scanVolume(QStringLiteral("/"), [&](const QList<QSScanResultPtr>& all) {
        EXPECT_TRUE(all.isEmpty());
        completed = true;
    });
    EXPECT_TRUE(waitUntil([&] { return completed; }));
}

TEST_F(ScannerTest, TheScanSetsTheVolumeBeforeAnyCategoryRuns) {
    QSScanner scanner(false);
    scanner.setScanItems({});
    bool completed = false;
    scanner.scanVolume(QStringLiteral("/mnt/other"),
                       [&](const QList<QSScanResultPtr>&) { completed = true; });
    EXPECT_EQ(QSDiskUtilities::sharedInstance().currentVolumePath(), u"/mnt/other");
    ASSERT_TRUE(waitUntil([&] { return completed; }));
    QSDiskUtilities::sharedInstance().setCurrentVolumePath(QStringLiteral("/"));
}

QSScanResultPtr resultWithFile(const QString& title, const QString& path, quint64 size) {
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    file->setFileSize(size);
    file->setSelected(true);
    file->recordIdentityIfNeeded();
    return std::make_shared<QSScanResult>(title, title.toLower(), 0, QList<QSScannedFilePtr>{file},
                                          path);
}

TEST_F(ScannerTest, DeletionCompletesOnceWithOneItemPerResult) {
    const QList<QSScanResultPtr> results = {
        resultWithFile(QStringLiteral("One"), home_.file(QStringLiteral("1"), 1), 1),
        resultWithFile(QStringLiteral("Two"), home_.file(QStringLiteral("2"), 2), 2),
        std::make_shared<QSUnremovableScanResult>(QStringLiteral("Login Items"),
                                                  QStringLiteral("l"), 9, QList<QSScannedFilePtr>{},
                                                  home_.path()),
    };
    int completions = 0;
    QList<QSRemovedItemPtr> removed;
    QSScanner::deleteItems(results, [&](const QList<QSRemovedItemPtr>& items) {
        EXPECT_TRUE(onMainThread());
        ++completions;
        removed = items;
    });
    ASSERT_TRUE(waitUntil([&] { return completions == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(removed.size(), 3);
    QMap<QString, quint64> sizes;
    for (const auto& item : removed)
        sizes.insert(item->title(), item->size());
    EXPECT_EQ(sizes.value(QStringLiteral("One")), 1u);
    EXPECT_EQ(sizes.value(QStringLiteral("Two")), 2u);
    EXPECT_EQ(sizes.value(QStringLiteral("Login Items")), 0u);
    EXPECT_TRUE(exists(home_.path()));
}

TEST_F(ScannerTest, DeletingNothingCompletesOnceWithAnEmptyList) {
    int completions = 0;
    QSScanner::deleteItems({}, [&](const QList<QSRemovedItemPtr>& items) {
        EXPECT_TRUE(items.isEmpty());
        ++completions;
    });
    ASSERT_TRUE(waitUntil([&] { return completions == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(completions, 1);
}

}  // namespace
