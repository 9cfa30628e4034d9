// Measures folder size and removal against du -sb and rm -rf on the same synthetic tree
// of about 300,000 files, in the same run. Goals: size at most 0.6x du, removal at most
// 0.5x rm -rf, peak memory in the tens of megabytes.
#include <sys/stat.h>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

#include "bench/bench_support.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/folder_anchors.h"

namespace {

constexpr int kTop = 30;
constexpr int kMiddle = 30;
constexpr int kFilesPerFolder = 334;

void buildTree(const QByteArray& root) {
    mkdir(root.constData(), 0755);
    for (int t = 0; t < kTop; ++t) {
        const QByteArray top = root + "/top" + QByteArray::number(t);
        mkdir(top.constData(), 0755);
        for (int m = 0; m < kMiddle; ++m) {
            const QByteArray middle = top + "/folder" + QByteArray::number(m);
            mkdir(middle.constData(), 0755);
            for (int f = 0; f < kFilesPerFolder; ++f) {
                const QByteArray file = middle + "/file-" + QByteArray::number(f) + ".cache";
                bench::makeSizedFile(file, (f * 7919) % 65536);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QByteArray base = bench::scratchFolder(argc, argv, "sweepwell-bench");
    const QByteArray tree = base + "/tree";
    std::printf("building %d files in %s\n", kTop * kMiddle * kFilesPerFolder, tree.constData());
    buildTree(tree);
    auto& disk = QSDiskUtilities::sharedInstance();

    // Warm the caches for both, then take the best of three runs each.
    bench::commandSeconds("du -sb '" + tree + "' >/dev/null");
    double du = 1e9, ours = 1e9;
    quint64 size = 0;
    qint64 sizePeak = 0;
    for (int round = 0; round < 3; ++round) {
        du = std::min(du, bench::commandSeconds("du -sb '" + tree + "' >/dev/null"));
        bench::resetPeakMemory();
        ours = std::min(
            ours, bench::seconds([&] { size = disk.fileSizeForPath(QString::fromUtf8(tree)); }));
        sizePeak = std::max(sizePeak, bench::peakMemoryKb());
    }
    std::printf(
        "size: %llu bytes; ours %.3fs, du -sb %.3fs, ratio %.2f (goal <= 0.60); peak %lld KB\n",
        static_cast<unsigned long long>(size), ours, du, ours / du,
        static_cast<long long>(sizePeak));

    const QByteArray copyA = base + "/copy-a";
    const QByteArray copyB = base + "/copy-b";
    double rm = 1e9, removal = 1e9;
    qint64 removalPeak = 0;
    for (int round = 0; round < 2; ++round) {
        bench::commandSeconds("cp -a '" + tree + "' '" + copyA + "' && cp -a '" + tree + "' '" +
                              copyB + "' && sync");
        rm = std::min(rm, bench::commandSeconds("rm -rf '" + copyA + "'"));
        bench::resetPeakMemory();
        bool removed = false;
        // As a clean does: the folder anchored and identified when it was scanned, checked
        // again and reached without following links.
        platform::anchorFolder(QString::fromUtf8(base));
        const QString path = QString::fromUtf8(copyB);
        const auto scanned = platform::identityOfItem(path);
        removal = std::min(removal, bench::seconds([&] {
                               removed = scanned && disk.removeItemAtPath(path, *scanned, nullptr);
                           }));
        removalPeak = std::max(removalPeak, bench::peakMemoryKb());
        if (!removed) std::printf("removal reported a failure\n");
    }
    std::printf("removal: ours %.3fs, rm -rf %.3fs, ratio %.2f (goal <= 0.50); peak %lld KB\n",
                removal, rm, removal / rm, static_cast<long long>(removalPeak));
    bench::commandSeconds("rm -rf '" + base + "'");
    return 0;
}
