#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QObject>
#include <QTemporaryDir>

#include "platform/file_path.h"
#include "results/screens/sw_desktop.h"
#include "tests/appearance/private_bus.h"
#include "tests/support/fixture_home.h"

// The file manager's interface, recording what it was asked to show; it fails on
// request, as a file manager that cannot open a window does.
class FakeFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shownURIs;
    bool fails = false;
    int calls = 0;

public slots:
    void ShowItems(const QStringList& uris, const QString&) {
        ++calls;
        if (fails) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("no window"));
            return;
        }
        shownURIs << uris;
    }
};

namespace {

// Records the folders it is asked to open instead of opening them.
class RecordingDesktop : public SWDesktop {
public:
    using SWDesktop::SWDesktop;
    void openURL(const QUrl& url) override { openedURLs << url; }
    QList<QUrl> openedURLs;
};

class RevealTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus_.isRunning()) GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(dir_.isValid());
        // A folder and a file whose names are not valid UTF-8, with a space.
        folderBytes_ = QFile::encodeName(dir_.path()) +
                       "/f\xff"
                       "lder";
        ASSERT_EQ(::mkdir(folderBytes_.constData(), 0700), 0);
        fileBytes_ = folderBytes_ + "/caf\xe9 menu.txt";
        const int fd = ::open(fileBytes_.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
        path_ = platform::decodePath(fileBytes_);
        folderURI_ =
            "file://" + QFile::encodeName(dir_.path()).toPercentEncoding("/") + "/f%FFlder";
    }

    // QTemporaryDir cannot remove names that are not valid UTF-8.
    void TearDown() override {
        ::unlink(fileBytes_.constData());
        ::rmdir(folderBytes_.constData());
    }

    void serveFileManager() {
        QDBusConnection fileManagerBus = bus_.connect("file-manager");
        ASSERT_TRUE(fileManagerBus.registerService("org.freedesktop.FileManager1"));
        ASSERT_TRUE(fileManagerBus.registerObject("/org/freedesktop/FileManager1", &fileManager_,
                                                  QDBusConnection::ExportAllSlots));
    }

    PrivateBus bus_;
    QTemporaryDir dir_;
    QByteArray folderBytes_;
    QByteArray fileBytes_;
    QString path_;
    QByteArray folderURI_;
    FakeFileManager fileManager_;
};

// The file manager gets the file's own bytes, percent-encoded, and no folder opens.
TEST_F(RevealTest, TheFileManagerShowsTheFileByItsBytes) {
    serveFileManager();
    RecordingDesktop desktop(bus_.connect("program"));
    desktop.revealFile(path_);
    ASSERT_TRUE(waitUntil([&] { return !fileManager_.shownURIs.isEmpty(); }, 5000));
    EXPECT_EQ(fileManager_.shownURIs, QStringList{folderURI_ + "/caf%E9%20menu.txt"});
    QApplication::processEvents();
    EXPECT_TRUE(desktop.openedURLs.isEmpty());
}

// Without a file manager on the bus, and when it fails, the folder that holds the file
// opens instead.
TEST_F(RevealTest, WithoutAWorkingFileManagerTheFolderOpens) {
    RecordingDesktop desktop(bus_.connect("program"));
    desktop.revealFile(path_);
    ASSERT_TRUE(waitUntil([&] { return !desktop.openedURLs.isEmpty(); }, 5000));
    EXPECT_EQ(desktop.openedURLs.constFirst().toEncoded(), folderURI_);

    serveFileManager();
    fileManager_.fails = true;
    desktop.openedURLs.clear();
    desktop.revealFile(path_);
    ASSERT_TRUE(waitUntil([&] { return !desktop.openedURLs.isEmpty(); }, 5000));
    EXPECT_EQ(desktop.openedURLs.constFirst().toEncoded(), folderURI_);
    EXPECT_EQ(fileManager_.calls, 1);
}

}  // namespace

#include "reveal_test.moc"
