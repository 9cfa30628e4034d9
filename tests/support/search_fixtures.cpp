#include "tests/support/search_fixtures.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>

#include "engine/categories/aging_files_item.h"
#include "engine/categories/developer_item.h"
#include "engine/categories/dmg_item.h"
#include "engine/categories/ios_item.h"
#include "engine/categories/large_files_item.h"
#include "engine/categories/login_items_item.h"
#include "engine/categories/partial_downloads_item.h"
#include "engine/categories/screenshot_item.h"
#include "platform/fakes/fakes.h"
#include "platform/file_path.h"
#include "platform/metadata_search_tool.h"
#include "tests/support/fixture_home.h"

namespace {

platform::Services searchServices(const QString& home, bool gateOpen, const QString& cache,
                                  const QString& systemRoot) {
    platform::Services services = platform::fakes::fakeServices(home);
    services.notificationGate = std::make_shared<platform::fakes::FakeNotificationGate>(gateOpen);
    platform::ToolMetadataSearch::Options options;
    options.systemRoot = systemRoot;
    options.cacheFolder = cache;
    options.refreshWindowSeconds = 0;
    services.metadata = std::make_shared<platform::ToolMetadataSearch>(options);
    return services;
}

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    QByteArray out(4, '\0');
    qToBigEndian(quint32(data.size()), out.data());
    out += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(type + data), crc.data());
    return out + crc;
}

}  // namespace

SearchPlatform::SearchPlatform(const QString& home, bool gateOpen, const QString& systemRoot) {
    services_.emplace(searchServices(home, gateOpen, cache_.path(), systemRoot));
}

SearchPlatform::~SearchPlatform() {
    services_.reset();
}

QStringList ToolRun::lines() const {
    QStringList paths;
    for (const QByteArray& line : out.split('\n')) {
        if (!line.isEmpty()) paths.append(platform::decodePath(line));
    }
    return paths;
}

QString searchToolPath() {
    return platform::ToolMetadataSearch::bundledToolPath();
}

ToolRun runSearchTool(const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.start(searchToolPath(), arguments);
    ToolRun run;
    if (!process.waitForFinished(timeoutMs)) return run;
    run.finished = true;
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.exitCode = run.crashed ? -1 : process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString writePng(const QString& path, const QList<QPair<QByteArray, QByteArray>>& texts,
                 bool international) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(quint32(1), header.data());
    qToBigEndian(quint32(1), header.data() + 4);
    header[8] = 8;  // bit depth; colour type 0 (grey), no interlace
    png += chunk("IHDR", header);
    for (const auto& [keyword, text] : texts) {
        if (international) {
            png += chunk("iTXt", keyword + QByteArray("\0\0\0\0\0", 5) + text);
        } else {
            png += chunk("tEXt", keyword + '\0' + text);
        }
    }
    png += chunk("IDAT", QByteArray::fromHex("789c636000000002000181"));
    png += chunk("IEND", QByteArray());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size()) return QString();
    return path;
}

namespace {

// A file with the ending that the category's query looks for.
SearchedCategory fileCategory(const QString& key, std::function<std::shared_ptr<QSScanItem>()> item,
                              const QString& ending) {
    return {key, std::move(item), [ending](FixtureHome& fixture, const QString& relative) {
                return fixture.file(relative + ending, 10);
            }};
}

// An application bundle that was last opened long ago.
QString oldApplication(FixtureHome& fixture, const QString& relative) {
    const QString bundle = relative + QStringLiteral(".app");
    const QString path = fixture.appBundle(bundle, QStringLiteral("org.example.searched"));
    fixture.setAccessDate(
        bundle + QStringLiteral("/Contents/MacOS/") + platform::lastPathComponent(relative),
        QDateTime::currentDateTimeUtc().addDays(-400));
    return path;
}

}  // namespace

const QList<SearchedCategory>& searchedCategories() {
    static const QList<SearchedCategory> categories = {
        {QStringLiteral("large-files"), [] { return QSLargeFilesItem::item(); },
         [](FixtureHome& fixture, const QString& relative) {
             return fixture.sparseFile(relative + QStringLiteral(".bin"), 200000000);
         }},
        {QStringLiteral("screenshots"), [] { return QSScreenshotItem::item(); },
         [](FixtureHome& fixture, const QString& relative) {
             const QString path = fixture.abs(relative + QStringLiteral(".png"));
             fixture.folder(platform::deletingLastPathComponent(relative));
             return writePng(path, {{"Software", "gnome-screenshot"}});
         }},
        fileCategory(
            QStringLiteral("dmg"), [] { return QSDMGItem::item(); }, QStringLiteral(".dmg")),
        fileCategory(
            QStringLiteral("developer"), [] { return QSDeveloperItem::item(); },
            QStringLiteral(".xcarchive")),
        fileCategory(
            QStringLiteral("partial-downloads"), [] { return QSPartialDownloadsItem::item(); },
            QStringLiteral(".part")),
        fileCategory(
            QStringLiteral("ios"), [] { return QSIOSItem::item(); }, QStringLiteral(".ipsw")),
        {QStringLiteral("unused-apps"), [] { return QSAgingFilesItem::item(); }, oldApplication},
        {QStringLiteral("actual-login-items"), [] { return QSLoginItemsItem::item(); },
         [](FixtureHome& fixture, const QString& relative) {
             const QString bundle = relative + QStringLiteral(".app");
             fixture.appBundle(bundle + QStringLiteral("/Contents/Library/LoginItems/Helper.app"),
                               QStringLiteral("org.example.helper"));
             return fixture.appBundle(bundle, QStringLiteral("org.example.searched"));
         },
         false},
    };
    return categories;
}

void PrintTo(const SearchedCategory& category, std::ostream* out) {
    *out << category.key.toStdString();
}
