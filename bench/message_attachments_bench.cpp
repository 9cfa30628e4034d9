// Measures the Message Attachments walk against `find DIR -type f -printf '%s\n'` on a
// synthetic attachments folder of 200,000 files, in the same run. Goals: at most 1.2x
// find's time, and under 300 bytes of peak memory per listed file.
#include <sys/stat.h>
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>

#include "bench/bench_support.h"
#include "engine/categories/message_attachments_item.h"
#include "engine/disk_utilities.h"

namespace {

// Like the real folder: two levels of short hexadecimal names, then one folder per
// message holding its files.
constexpr int kTop = 25;
constexpr int kMiddle = 40;
constexpr int kMessages = 100;
constexpr int kFilesPerMessage = 2;
constexpr int kFiles = kTop * kMiddle * kMessages * kFilesPerMessage;

void buildAttachments(const QByteArray& root) {
    for (int t = 0; t < kTop; ++t) {
        const QByteArray top = root + "/" + QByteArray::number(t, 16).rightJustified(2, '0');
        mkdir(top.constData(), 0755);
        for (int m = 0; m < kMiddle; ++m) {
            const QByteArray middle = top + "/" + QByteArray::number(m, 16).rightJustified(2, '0');
            mkdir(middle.constData(), 0755);
            for (int g = 0; g < kMessages; ++g) {
                const QByteArray message = middle + "/4F2C9A1E-" + QByteArray::number(g);
                mkdir(message.constData(), 0755);
                for (int f = 0; f < kFilesPerMessage; ++f) {
                    const QByteArray file = message + "/IMG_" + QByteArray::number(f) + ".jpeg";
                    bench::makeSizedFile(file, (g * 7919 + f) % 65536);
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const QByteArray base = bench::scratchFolder(argc, argv, "sweepwell-bench");
    // The category finds its folder under the home folder, read from the environment.
    qputenv("HOME", base);
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QByteArray attachments = base + "/Library/Messages/Attachments";
    if (!QDir().mkpath(QString::fromUtf8(attachments))) return 1;
    std::printf("building %d attachments in %s\n", kFiles, attachments.constData());
    buildAttachments(attachments);
    QSDiskUtilities::sharedInstance().updatePaths();

    const QByteArray find = "find '" + attachments + "' -type f -printf '%s\\n' >/dev/null";
    bench::commandSeconds(find);
    double theirs = 1e9, ours = 1e9;
    qint64 listed = 0, perFile = 0;
    for (int round = 0; round < 3; ++round) {
        theirs = std::min(theirs, bench::commandSeconds(find));
        QSMessageAttachmentsItem item;
        bench::resetPeakMemory();
        const qint64 before = bench::peakMemoryKb();
        QSScanResultPtr result;
        ours = std::min(ours, bench::seconds([&] { result = item.actuallyScan(); }));
        listed = result->detailArray().size();
        perFile =
            std::max(perFile, (bench::peakMemoryKb() - before) * 1024 / std::max(listed, 1LL));
    }
    std::printf("listed %lld of %d files; ours %.3fs, find %.3fs, ratio %.2f (goal <= 1.20)\n",
                static_cast<long long>(listed), kFiles, ours, theirs, ours / theirs);
    std::printf("peak memory per listed file: %lld bytes (goal < 300)\n",
                static_cast<long long>(perFile));
    bench::commandSeconds("rm -rf '" + base + "'");
    return 0;
}
