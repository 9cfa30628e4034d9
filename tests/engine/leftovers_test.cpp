#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include "engine/categories/broken_prefs_item.h"
#include "engine/categories/leftover_item.h"
#include "platform/file_path.h"
#include "platform/property_list.h"
#include "tests/support/folder_fixtures.h"

namespace {

// Counts how often files of one name are opened in the given folders, from now on, as the
// kernel reports it.
class OpenCounter {
public:
    OpenCounter(const QStringList& folders, const QByteArray& name)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(name) {
        // Closes are watched too: the kernel merges an event into an identical one still
        // unread, so two opens in a row would count once.
        for (const QString& folder : folders) {
            inotify_add_watch(fd_, platform::encodePath(folder).constData(),
                              IN_OPEN | IN_CLOSE_NOWRITE);
        }
    }
    ~OpenCounter() { close(fd_); }

    int opens() {
        alignas(inotify_event) char buffer[64 * 1024];
        ssize_t length;
        while ((length = read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if ((event->mask & IN_OPEN) && event->len > 0 && QByteArray(event->name) == name_)
                    ++opens_;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return opens_;
    }

private:
    const int fd_;
    const QByteArray name_;
    int opens_ = 0;
};

class LeftoversTest : public ::testing::Test {
protected:
    QSScanResultPtr scanLeftovers() { return fixture.scan(QSLeftoverItem::item()); }

    FolderFixture fixture;
    FixtureHome& home = fixture.home();
};

TEST_F(LeftoversTest, ContainerOfAnApplicationThatIsGoneIsNamedAfterItsBundle) {
    const QString path =
        fixture.sandboxedContainer(QStringLiteral("com.example.Editor"),
                                   home.root() + QStringLiteral("/Applications/Editor.app"),
                                   QStringLiteral("com.example.Editor"));
    home.file(QStringLiteral("Library/Containers/com.example.Editor/Data/Documents/draft.txt"), 25);

    const auto result = scanLeftovers();

    ASSERT_EQ(result->detailArray().size(), 1);
    const auto entry = result->detailArray().first();
    EXPECT_EQ(entry->fileName(), QStringLiteral("Editor.app"));
    EXPECT_EQ(entry->path(), path);
    EXPECT_FALSE(entry->selected());
    EXPECT_GE(entry->fileSize(), 25u);
    EXPECT_TRUE(entry->modificationDate().isValid());
    EXPECT_TRUE(entry->attributes().value(kNSURLCreationDateKey).toDateTime().isValid());
    EXPECT_EQ(result->path(), kPathMarkerLarge);

    deleteNow(result);
    EXPECT_TRUE(exists(path));  // leftovers start deselected
    entry->setSelected(true);
    EXPECT_TRUE(deleteNow(result)->failedFiles().isEmpty());
    EXPECT_FALSE(exists(path));
}

TEST_F(LeftoversTest, ContainerWithAnIdentifierButNoBundlePathIsNamedAfterItsFolder) {
    fixture.sandboxedContainer(QStringLiteral("com.example.Viewer"), QString(),
                               QStringLiteral("com.example.Viewer"));
    EXPECT_EQ(fileNamesOf(scanLeftovers()->detailArray()),
              QStringList({QStringLiteral("com.example.Viewer")}));
}

TEST_F(LeftoversTest, PlainRuleNamesTheLastPartOfTheIdentifier) {
    fixture.container(QStringLiteral("com.example.Editor"));
    fixture.container(QStringLiteral("Plain"));
    auto names = fileNamesOf(scanLeftovers()->detailArray());
    names.sort();
    EXPECT_EQ(names, QStringList({QStringLiteral("Editor"), QStringLiteral("Plain")}));
}

TEST_F(LeftoversTest, ContainersOfInstalledApplicationsAreNeverListed) {
    // Installed where the workspace looks.
    fixture.installApplication(QStringLiteral("com.example.Known"), QStringLiteral("Known"));
    fixture.container(QStringLiteral("com.example.Known"));
    fixture.sandboxedContainer(QStringLiteral("com.example.Known2"), QString(),
                               QStringLiteral("com.example.Known"));
    // Installed where the workspace does not look: the container's own list tells.
    const QString elsewhere =
        home.appBundle(QStringLiteral("Downloads/Tool.app"), QStringLiteral("com.example.Tool"));
    fixture.sandboxedContainer(QStringLiteral("com.example.Tool"), elsewhere,
                               QStringLiteral("com.example.Tool"));
    // Apple's own, a plain file and a link are never examined.
    fixture.container(QStringLiteral("com.apple.Notes"));
    home.file(QStringLiteral("Library/Containers/stray.file"), 3);
    home.symlink(QStringLiteral("Library/Containers/com.example.Link"),
                 home.abs(QStringLiteral("Downloads")));

    EXPECT_TRUE(scanLeftovers()->detailArray().isEmpty());
}

TEST_F(LeftoversTest, UnreadableContainerListFallsThroughToThePlainRule) {
    fixture.container(QStringLiteral("com.example.Broken"));
    home.file(QStringLiteral("Library/Containers/com.example.Broken/Container.plist"), 10);
    home.write(QStringLiteral("Library/Containers/com.example.Array/Container.plist"),
               "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>");

    auto names = fileNamesOf(scanLeftovers()->detailArray());
    names.sort();
    EXPECT_EQ(names, QStringList({QStringLiteral("Array"), QStringLiteral("Broken")}));
}

TEST_F(LeftoversTest, EachContainerListIsReadOnce) {
    // Neither rule gives an entry by the list alone, so both read it.
    fixture.installApplication(QStringLiteral("com.example.Known"), QStringLiteral("Known"));
    const QString installed = fixture.sandboxedContainer(
        QStringLiteral("com.example.Known2"), QString(), QStringLiteral("com.example.Known"));
    const QString anonymous =
        fixture.sandboxedContainer(QStringLiteral("com.example.Anonymous"),
                                   home.root() + QStringLiteral("/Gone.app"), QString());
    OpenCounter counter({installed, anonymous}, "Container.plist");

    EXPECT_EQ(fileNamesOf(scanLeftovers()->detailArray()),
              QStringList({QStringLiteral("Anonymous")}));
    EXPECT_EQ(counter.opens(), 2);
}

TEST_F(LeftoversTest, MissingContainersFolderGivesAnEmptyDisabledResult) {
    const auto result = scanLeftovers();
    EXPECT_TRUE(result->disabled());
    EXPECT_TRUE(result->detailArray().isEmpty());
}

class BrokenPrefsTest : public ::testing::Test {
protected:
    QString prefs(const QString& name) const {
        return QStringLiteral("Library/Preferences/") + name;
    }
    QStringList brokenNames() {
        auto names = fileNamesOf(fixture.scan(QSBrokenPrefsItem::item())->detailArray());
        names.sort();
        return names;
    }

    FolderFixture fixture;
    FixtureHome& home = fixture.home();
};

TEST_F(BrokenPrefsTest, UnparsableAndEmptyListsAreBrokenAndStartDeselected) {
    home.xmlPlist(prefs(QStringLiteral("com.example.xml.plist")), {{QStringLiteral("a"), 1}});
    home.binaryPlist(prefs(QStringLiteral("com.example.binary.plist")), {{QStringLiteral("a"), 1}});
    home.file(prefs(QStringLiteral("com.example.empty.plist")));
    home.file(prefs(QStringLiteral("com.example.garbage.plist")), 40);

    const auto result = fixture.scan(QSBrokenPrefsItem::item());

    QStringList names = fileNamesOf(result->detailArray());
    names.sort();
    EXPECT_EQ(names, QStringList({QStringLiteral("com.example.empty.plist"),
                                  QStringLiteral("com.example.garbage.plist")}));
    for (const auto& file : result->detailArray()) {
        EXPECT_FALSE(file->selected());
        EXPECT_FALSE(file->modificationDate().isValid());
    }
    EXPECT_EQ(result->path(), kPathMarkerLarge);
}

TEST_F(BrokenPrefsTest, OnlyVisiblePlistFilesDirectlyInPreferencesAreExamined) {
    home.file(prefs(QStringLiteral("com.example.caps.PLIST")), 4);
    home.file(prefs(QStringLiteral(".hidden.plist")), 4);
    home.file(prefs(QStringLiteral("com.example.plist.lockfile")), 4);
    home.file(prefs(QStringLiteral("com.example.lockfile.plist")), 4);
    home.file(prefs(QStringLiteral("com.example.x.lockfile.plist")), 4);
    home.file(prefs(QStringLiteral("com.apple.broken.plist")), 4);
    home.file(prefs(QStringLiteral("ByHost/com.example.x.0123.plist")), 4);
    home.folder(prefs(QStringLiteral("folder.plist")));
    home.file(prefs(QStringLiteral("com.example.real.plist")), 4);

    EXPECT_EQ(brokenNames(), QStringList({QStringLiteral("com.example.real.plist")}));
}

TEST_F(BrokenPrefsTest, ListsNestedBeyondTheLimitAreBroken) {
    // The top dictionary is the first level.
    const auto nested = [](int levels) {
        QVariant value = QVariantList();
        for (int i = 1; i < levels - 1; ++i)
            value = QVariantList{value};
        return QVariantMap{{QStringLiteral("a"), value}};
    };
    const auto xmlNested = [](int levels) {
        return "<plist version=\"1.0\">" + QByteArray("<array>").repeated(levels) +
               QByteArray("</array>").repeated(levels) + "</plist>";
    };
    const int limit = platform::kMaxPropertyListDepth;
    home.binaryPlist(prefs(QStringLiteral("com.example.binary.plist")), nested(limit));
    home.binaryPlist(prefs(QStringLiteral("com.example.binary-deeper.plist")), nested(limit + 1));
    home.write(prefs(QStringLiteral("com.example.xml.plist")), xmlNested(limit));
    home.write(prefs(QStringLiteral("com.example.xml-deeper.plist")), xmlNested(100000));

    EXPECT_EQ(brokenNames(), QStringList({QStringLiteral("com.example.binary-deeper.plist"),
                                          QStringLiteral("com.example.xml-deeper.plist")}));
}

TEST_F(BrokenPrefsTest, FileThatCannotBeReadIsBrokenButOneTooLargeToExamineIsNot) {
    home.symlink(prefs(QStringLiteral("com.example.dangling.plist")),
                 home.abs(QStringLiteral("nowhere")));
    home.sparseFile(prefs(QStringLiteral("com.example.huge.plist")),
                    quint64(platform::kMaxPropertyListFileBytes) + 1);

    EXPECT_EQ(brokenNames(), QStringList({QStringLiteral("com.example.dangling.plist")}));
}

}  // namespace
