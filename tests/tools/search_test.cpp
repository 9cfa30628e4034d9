#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <QDateTime>

#include "platform/file_path.h"
#include "tests/support/fixture_home.h"
#include "tests/support/search_fixtures.h"
#include "tools/mdsearch/index_refresh.h"
#include "tools/mdsearch/search.h"

using namespace mdsearch;

namespace {

int64_t nowNs() {
    return QDateTime::currentMSecsSinceEpoch() * 1'000'000;
}

// Refreshes an index of the fixture home in this process and searches it.
class IndexedHome {
public:
    explicit IndexedHome(FixtureHome& home) : home_(home) {}

    QStringList find(const std::string& query) {
        const int fd = ::open(platform::encodePath(home_.path()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        RefreshStats stats;
        auto index = refreshIndex(fd, platform::encodePath(home_.path()).toStdString(), nullptr,
                                  nowNs(), &stats);
        ::close(fd);
        EXPECT_TRUE(index);
        std::string error;
        const auto compiled = CompiledQuery::fromText(query, nowNs(), &error);
        EXPECT_TRUE(compiled) << error;
        if (!index || !compiled) return {};
        std::string out;
        searchIndex(index->view(), *compiled, false, &out);
        QStringList relative;
        for (const QByteArray& line : QByteArray::fromStdString(out).split('\n')) {
            if (line.isEmpty()) continue;
            relative.append(platform::decodePath(line).mid(home_.path().size() + 1));
        }
        return relative;
    }

private:
    FixtureHome& home_;
};

std::string compileError(const std::string& query) {
    std::string error;
    EXPECT_FALSE(CompiledQuery::fromText(query, nowNs(), &error)) << query;
    return error;
}

}  // namespace

TEST(QueryCompiler, RefusesUnknownAttributesAndValuesOfTheWrongType) {
    EXPECT_NE(compileError("kMDItemSize > 5").find("unknown attribute kMDItemSize"),
              std::string::npos);
    EXPECT_NE(compileError("kMDItemFSSize > 'big'").find("number"), std::string::npos);
    EXPECT_NE(compileError("kMDItemFSSize > $time.today").find("number"), std::string::npos);
    EXPECT_NE(compileError("kMDItemUsedDates < 5").find("$time"), std::string::npos);
    EXPECT_NE(compileError("kMDItemKind = $time.now").find("text"), std::string::npos);
    EXPECT_NE(compileError("kMDItemDisplayName >= 'a*'").find("wildcards"), std::string::npos);
    EXPECT_NE(compileError("kMDItemIsScreenCapture > 0").find("=="), std::string::npos);
    EXPECT_NE(compileError("kMDItemIsScreenCapture = maybe").find("true"), std::string::npos);
    EXPECT_NE(compileError("a = 'x").find("offset"), std::string::npos);
}

TEST(MetadataAttributes, SizeCountsFilesAndWholePackagesButNotFolders) {
    FixtureHome home;
    home.sparseFile("big/exact", 100000000);
    home.sparseFile("big/under", 99999999);
    home.sparseFile("Thing.download/part1", 60000000);
    home.sparseFile("Thing.download/.hidden", 40000000);
    home.sparseFile("plain/one", 60000000);
    home.sparseFile("plain/two", 60000000);
    IndexedHome index(home);
    EXPECT_EQ(index.find("kMDItemFSSize >= 100000000"),
              (QStringList{"Thing.download", "big/exact"}));
    EXPECT_EQ(index.find("kMDItemFSSize > 100000000"), QStringList());
    EXPECT_EQ(index.find("kMDItemFSSize = 99999999"), QStringList{"big/under"});
    EXPECT_EQ(index.find("kMDItemFSSize < 99999999.5 && kMDItemFSSize > 99999998.5"),
              QStringList{"big/under"});
}

TEST(MetadataAttributes, KindsOfDiskImagesInstallersAndOthers) {
    FixtureHome home;
    for (const char* name : {"a.dmg", "b.iso", "c.img", "d.sparseimage", "e.pkg", "f.deb", "g.rpm",
                             "h.mpkg", "i.txt", "j.png", "k.qcow2"}) {
        home.file(QStringLiteral("k/") + name, 1);
    }
    home.file("k/Flat.pkg/Contents/x", 1);
    home.folder("k/Disk.sparsebundle/bands");
    IndexedHome index(home);
    EXPECT_EQ(
        index.find("kMDItemKind == 'Disk Image'"),
        (QStringList{"k/Disk.sparsebundle", "k/a.dmg", "k/b.iso", "k/c.img", "k/d.sparseimage"}));
    EXPECT_EQ(index.find("kMDItemKind == 'Installer package'"),
              (QStringList{"k/Flat.pkg", "k/e.pkg", "k/f.deb", "k/g.rpm", "k/h.mpkg"}));
    EXPECT_EQ(index.find("kMDItemKind == 'Folder'"), QStringList{"k"});
    EXPECT_EQ(index.find("kMDItemContentType == 'image/png'"), QStringList{"k/j.png"});
    // Virtual machine disks are disk images of another kind: never offered as installers.
    EXPECT_FALSE(index.find("kMDItemKind == 'Disk Image'").contains("k/k.qcow2"));
    EXPECT_EQ(index.find("kMDItemKind == '*text*' && kMDItemDisplayName == 'i*'"),
              QStringList{"k/i.txt"});
}

TEST(MetadataAttributes, ApplicationBundlesCarryIdentifierAndUseDate) {
    FixtureHome home;
    home.appBundle("Apps/Old.app", "com.example.old");
    home.appBundle("Apps/New.app", "com.example.new");
    home.binaryPlist("Apps/Binary.app/Contents/Info.plist",
                     {{"CFBundleIdentifier", QStringLiteral("com.example.binary")}});
    home.folder("Apps/Empty.app/Contents");
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-200);
    home.setAccessDate("Apps/Old.app/Contents/MacOS/Old", longAgo);
    home.setAccessDate("Apps/Binary.app/Contents/Info.plist", longAgo);
    IndexedHome index(home);
    EXPECT_EQ(index.find("kMDItemContentType=com.apple.application-bundle"),
              (QStringList{"Apps/Binary.app", "Apps/New.app", "Apps/Old.app"}));
    EXPECT_EQ(index.find("kMDItemCFBundleIdentifier == 'com.example.*'"),
              (QStringList{"Apps/Binary.app", "Apps/New.app", "Apps/Old.app"}));
    EXPECT_EQ(index.find("kMDItemUsedDates<=$time.today(-90) && "
                         "kMDItemContentType=com.apple.application-bundle"),
              (QStringList{"Apps/Binary.app", "Apps/Old.app"}));
    EXPECT_EQ(index.find("kMDItemLastUsedDate > $time.now(-3600) && kMDItemKind = Application"),
              QStringList{"Apps/New.app"});
    // Nothing inside a package is ever listed on its own.
    EXPECT_EQ(index.find("kMDItemDisplayName == 'Info.plist'"), QStringList());
}

TEST(MetadataAttributes, ScreenCapturesByNameAndByPngText) {
    FixtureHome home;
    const QStringList named = {"Screenshot 2024-05-01 at 10.11.12.png",
                               "Screen Shot 2020-01-01 at 10.11.12 AM.png",
                               "Screenshot from 2024-05-01 10-11-12.png",
                               "Screenshot_20240501_101112.png",
                               "Screenshot_2024-05-01_10-11-12.png",
                               "Screenshot_20240501-101112_Chrome.jpg",
                               "Screenshot 2024-05-01 101112.png",
                               "2024-05-01-101112_1920x1080_scrot.png",
                               "20240501_10h11m12s_grim.png"};
    for (const QString& name : named)
        home.file("shots/" + name, 10);
    home.file("shots/Screenshot from 2024-05-01 10-11-12.txt", 10);
    home.file("shots/My Screenshot.png", 10);
    writePng(home.abs("shots/gnome.png"), {{"Software", "gnome-screenshot"}});
    writePng(home.abs("shots/spectacle.png"), {{"Software", "Spectacle 23.08"}}, true);
    writePng(home.abs("shots/mac.png"),
             {{"XML:com.adobe.xmp", "<x><exif:UserComment>Screenshot</exif:UserComment></x>"}},
             true);
    writePng(home.abs("shots/drawing.png"), {{"Software", "GIMP 2.10"}});
    writePng(home.abs("shots/.hidden/Screenshot_20240501_101112.png"), {});
    QStringList expected = {"gnome.png", "mac.png", "spectacle.png"};
    expected += named;
    for (QString& name : expected)
        name.prepend("shots/");
    expected.sort();
    QStringList found = IndexedHome(home).find("kMDItemIsScreenCapture = 1");
    found.sort();
    EXPECT_EQ(found, expected);
    EXPECT_EQ(IndexedHome(home).find("kMDItemIsScreenCapture = 0"), QStringList());
}
