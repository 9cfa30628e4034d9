// Measures the full scan of the terminal front end (every category, search index warm) on a
// home of 300,000 small files laid out as a Linux desktop keeps them, against one du -sb of
// the same home in the same run. Goal: the scan at most 1.5x du. When it misses, each
// category is scanned alone, to show where the time goes.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/bench_support.h"

namespace {

constexpr int kRounds = 3;
constexpr double kGoal = 1.5;
constexpr int kHomeFiles = 300000;

// One kind of place in the home: below `path`, `entries` entries (or the path itself when
// `entry` is null), each holding `folders` folders (the entry itself, once, when `folder`
// is null), each holding its files below `inner` (when given). Patterns are printf
// patterns of a number.
struct Area {
    const char* path;
    const char* entry;
    int entries;
    const char* folder;
    int folders;
    const char* inner;
    int files;
    const char* name;  // given the file's number in the area
};

constexpr Area kAreas[] = {
    // Caches: per application, nested, and the sandboxes' and Electron applications' own.
    {".cache", "app-%d", 150, "cache-%d", 4, "objects", 100, "blob-%d"},
    {".cache/mozilla/firefox", "profile%d.default-release", 2, nullptr, 1, "cache2/entries", 6000,
     "%040X"},
    {".cache/mozilla/firefox", "profile%d.default-release", 2, nullptr, 1, "startupCache", 5,
     "startupCache.%d.little"},
    {".cache/google-chrome/Default", "Cache", 1, nullptr, 1, "Cache_Data", 8000, "f_%06x"},
    {".cache/google-chrome/Default", "Code Cache", 1, nullptr, 1, "js", 3000, "%016x_0"},
    {".config", "Electron App %d", 25, nullptr, 1, "Cache/Cache_Data", 400, "f_%06x"},
    {".config", "Electron App %d", 25, nullptr, 1, "Code Cache/js", 100, "%016x_0"},
    {".config", "Electron App %d", 25, nullptr, 1, "GPUCache", 4, "data_%d"},
    {".var/app", "org.example.App%d", 30, nullptr, 1, "cache/fontconfig", 200,
     "%032x-le64.cache-8"},
    {"snap", "snap-app-%d", 20, nullptr, 1, "common/.cache", 200, "entry-%d"},
    {"work", "ccache", 1, "%x", 16, nullptr, 250, "object-%d.o"},
    // The browsers' own data beside their caches.
    {".config/google-chrome/Default", "Local Storage", 1, nullptr, 1, "leveldb", 400, "%06d.ldb"},
    {".config/google-chrome/Default", "GPUCache", 1, nullptr, 1, nullptr, 100, "data_%d"},
    {".mozilla/firefox", "profile%d.default-release", 2, nullptr, 1, "storage/default", 1000,
     "entry-%d.sqlite"},
    // Settings, data, logs and the state beside them.
    {".config", "tool-%d", 100, nullptr, 1, nullptr, 10, "settings-%d.conf"},
    {".local/share", "app-%d", 100, "data-%d", 2, nullptr, 50, "record-%d.db"},
    {".local/state", "app-%d", 80, nullptr, 1, nullptr, 25, "session-%d.log"},
    {".local/state", "app-%d", 80, nullptr, 1, nullptr, 5, "state-%d.json"},
    {".var/app", "org.example.App%d", 30, nullptr, 1, "data", 50, "record-%d.db"},
    // The trash: whole folders and single files.
    {".local/share/Trash/files", "Old Project %d", 300, "folder%d", 2, nullptr, 40, "item-%d.txt"},
    {".local/share/Trash/files", nullptr, 1, nullptr, 1, nullptr, 1500, "deleted-%d.txt"},
    // The user folders.
    {"Downloads", nullptr, 1, nullptr, 1, nullptr, 800, "package_%d_amd64.deb"},
    {"Downloads", nullptr, 1, nullptr, 1, nullptr, 100, "video-%d.mkv.part"},
    {"Downloads", nullptr, 1, nullptr, 1, nullptr, 2000, "document-%d.pdf"},
    {"Downloads", "archive-%d", 40, nullptr, 1, nullptr, 100, "file-%d.txt"},
    {"Pictures/Screenshots", nullptr, 1, nullptr, 1, nullptr, 1500,
     "Screenshot from 2024-05-01 %06d.png"},
    {"Pictures", "Album %d", 40, nullptr, 1, nullptr, 200, "IMG_%05d.jpg"},
    {"Documents", "project-%d", 856, nullptr, 1, nullptr, 100, "note-%d.txt"},
    {"Documents", nullptr, 1, nullptr, 1, nullptr, 87, "letter-%d.odt"},
    // Projects with their dependencies and builds, plain folders without a cache tag.
    {"projects", "web-%d/node_modules", 20, "package-%d", 100, "lib", 15, "index-%d.js"},
    {"projects", "web-%d/src", 20, nullptr, 1, nullptr, 50, "module-%d.ts"},
    {"projects", "rust-%d/target", 15, "build-%d", 4, "out", 200, "object-%d.o"},
    {"projects", "rust-%d/src", 15, nullptr, 1, nullptr, 40, "file-%d.rs"},
};

constexpr int kTrashedEntries = 300 + 1500;  // one .trashinfo each
// profiles.ini, user-dirs.dirs and the cache tag.
constexpr int kWrittenFiles = kTrashedEntries + 3;

constexpr int allAreaFiles() {
    int total = 0;
    for (const Area& area : kAreas)
        total += area.entries * area.folders * area.files;
    return total;
}
static_assert(allAreaFiles() + kWrittenFiles == kHomeFiles);

QByteArray formatted(const char* pattern, int number) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, number);
    return text;
}

void makePath(const QByteArray& path) {
    if (!QDir().mkpath(QString::fromUtf8(path))) {
        std::fprintf(stderr, "cannot create %s\n", path.constData());
        std::exit(1);
    }
}

void writeFile(const QByteArray& path, const QByteArray& contents) {
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.constData());
        std::exit(1);
    }
}

void buildArea(const QByteArray& home, const Area& area) {
    int number = 0;
    for (int e = 0; e < area.entries; ++e) {
        const QByteArray entry =
            home + "/" + area.path + (area.entry ? "/" + formatted(area.entry, e) : QByteArray());
        for (int f = 0; f < area.folders; ++f) {
            QByteArray folder = entry;
            if (area.folder) folder += "/" + formatted(area.folder, f);
            if (area.inner) folder += QByteArray("/") + area.inner;
            makePath(folder);
            for (int i = 0; i < area.files; ++i, ++number) {
                bench::makeSizedFile(folder + "/" + formatted(area.name, number),
                                     (number * 7919) % 4097);
            }
        }
    }
}

// Every trashed entry has its record, or the trash would not be a trash.
void writeTrashRecords(const QByteArray& home) {
    const QByteArray info = home + "/.local/share/Trash/info";
    makePath(info);
    const QDir files(QString::fromUtf8(home + "/.local/share/Trash/files"));
    const QStringList names = files.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    if (names.size() != kTrashedEntries) {
        std::fprintf(stderr, "the trash holds %lld entries\n",
                     static_cast<long long>(names.size()));
        std::exit(1);
    }
    for (const QString& name : names) {
        const QByteArray original = QUrl::toPercentEncoding(
            QString::fromUtf8(home + "/Documents/") + name, QByteArrayLiteral("/"));
        writeFile(info + "/" + name.toUtf8() + ".trashinfo",
                  "[Trash Info]\nPath=" + original + "\nDeletionDate=2024-05-01T10:00:00\n");
    }
}

void writeSettings(const QByteArray& home) {
    writeFile(home + "/.mozilla/firefox/profiles.ini",
              "[Profile1]\nName=work\nIsRelative=1\nPath=profile1.default-release\n\n"
              "[Profile0]\nName=default-release\nIsRelative=1\nPath=profile0.default-release\n"
              "Default=1\n\n[General]\nStartWithLastProfile=1\nVersion=2\n");
    writeFile(home + "/.config/user-dirs.dirs",
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
              "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_PICTURES_DIR=\"$HOME/Pictures\"\n"
              "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n");
    writeFile(home + "/work/ccache/CACHEDIR.TAG",
              "Signature: 8a477f597d28d172789f06886806bc55\n"
              "# This file is a cache directory tag created by ccache.\n");
}

QByteArray linuxHome(int argc, char** argv) {
    return bench::reusableHome(argc, argv, "sweepwell-bench-linux-home", kHomeFiles,
                               [](const QByteArray& home) {
                                   for (const Area& area : kAreas)
                                       buildArea(home, area);
                                   writeTrashRecords(home);
                                   writeSettings(home);
                               });
}

// Runs the terminal front end, which must succeed; its standard output.
QByteArray runCli(const QByteArray& cli, const QList<QByteArray>& arguments, double* took) {
    bench::ChildRun run;
    const double seconds = bench::seconds([&] { run = bench::runChild(cli, arguments); });
    if (run.exitStatus != 0) {
        std::fprintf(stderr, "sweepwell-cli failed (status %d):\n%s", run.exitStatus,
                     run.errors.constData());
        std::exit(1);
    }
    if (took) *took = seconds;
    return run.output;
}

double medianCliSeconds(const QByteArray& cli, const QList<QByteArray>& arguments) {
    QList<double> times;
    for (int round = 0; round < kRounds; ++round) {
        double took = 0;
        runCli(cli, arguments, &took);
        times << took;
    }
    return bench::median(times);
}

QJsonArray categoriesOf(const QByteArray& json) {
    const QJsonArray categories =
        QJsonDocument::fromJson(json).object().value(QLatin1String("categories")).toArray();
    if (categories.isEmpty()) {
        std::fprintf(stderr, "the scan's JSON lists no category\n");
        std::exit(1);
    }
    return categories;
}

// What each category found, its size that of its listed entries; the front end does not
// say how long each took.
void printFindings(const QJsonArray& categories) {
    std::printf("%-22s %8s %14s  %s\n", "category", "entries", "bytes", "failure");
    for (const QJsonValue& value : categories) {
        const QJsonObject category = value.toObject();
        const QJsonArray entries = category.value(QLatin1String("files")).toArray();
        double bytes = 0;
        for (const QJsonValue& entry : entries)
            bytes += entry.toObject().value(QLatin1String("fileSize")).toDouble();
        std::printf(
            "%-22s %8lld %14.0f  %s\n", qPrintable(category.value(QLatin1String("key")).toString()),
            static_cast<long long>(entries.size()), bytes,
            qPrintable(category.value(QLatin1String("failure")).toString(QStringLiteral("-"))));
    }
}

// Each category scanned alone, slowest first, beside the cost of starting the program.
void printCategoryTimes(const QByteArray& cli, const QList<QByteArray>& scan,
                        const QJsonArray& categories, double du) {
    const double startUp = medianCliSeconds(cli, {"--help"});
    std::printf("each category alone (median of %d; start-up of sweepwell-cli %.3fs):\n", kRounds,
                startUp);
    QList<std::pair<double, QString>> times;
    for (const QJsonValue& value : categories) {
        const QString key = value.toObject().value(QLatin1String("key")).toString();
        times.append(
            {medianCliSeconds(cli, scan + QList<QByteArray>{"--category", key.toUtf8()}), key});
    }
    std::sort(times.begin(), times.end(), [](const auto& a, const auto& b) { return a > b; });
    double sum = 0;
    for (const auto& [seconds, key] : times) {
        std::printf("  %-22s %.3fs, less start-up %.3fs (%.2fx du)\n", qPrintable(key), seconds,
                    seconds - startUp, (seconds - startUp) / du);
        sum += seconds - startUp;
    }
    std::printf("  sum less start-ups:     %.3fs\n", sum);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QByteArray base = bench::scratchFolder(argc, argv, "sweepwell-linux-scan-bench");
    const QByteArray home = linuxHome(argc, argv);
    const QByteArray cli = bench::siblingProgram("../cli/sweepwell-cli");
    const QByteArray du = "du -sb '" + home + "' >/dev/null";
    // The searches of the whole disk look in the home too.
    const QList<QByteArray> scan{"scan", "--home", home, "--system-root", home, "--json"};

    // The first scan builds the search index of the home; the measured ones find it built.
    bench::commandSeconds(du);
    const QJsonArray categories = categoriesOf(runCli(cli, scan, nullptr));
    QList<double> duTimes, scanTimes;
    for (int round = 0; round < kRounds; ++round) {
        duTimes << bench::commandSeconds(du);
        double took = 0;
        runCli(cli, scan, &took);
        scanTimes << took;
    }
    const double duSeconds = bench::median(duTimes);
    const double scanSeconds = bench::median(scanTimes);
    printFindings(categories);
    std::printf("du -sb (median of %d):     %.3fs\n", kRounds, duSeconds);
    std::printf("full scan (median of %d):  %.3fs, ratio %.2f (goal <= %.1f)\n", kRounds,
                scanSeconds, scanSeconds / duSeconds, kGoal);
    if (scanSeconds / duSeconds > kGoal) printCategoryTimes(cli, scan, categories, duSeconds);
    bench::commandSeconds("rm -rf '" + base + "'");
    return 0;
}
