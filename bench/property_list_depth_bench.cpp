// Measures how fast a property list nested a million levels deep is refused, against
// `cat FILE >/dev/null` reading the same file in the same run, for a binary list (a chain
// of one-element arrays, 9 MB) and an XML one (15 MB). libplist alone needed minutes for
// the binary one. Goal: refusing, reading included, takes at most twice as long as cat.
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/bench_support.h"
#include "platform/property_list.h"

namespace {

constexpr int kLevels = 1000000;
constexpr int kRounds = 10;

void appendBigEndian(QByteArray& out, quint64 value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// Object i is an array holding object i + 1; the last is empty. Four-byte references and
// offsets.
QByteArray binaryChain(int levels) {
    QByteArray out("bplist00");
    QByteArray table;
    for (int i = 0; i < levels; ++i) {
        appendBigEndian(table, quint64(out.size()), 4);
        if (i + 1 < levels) {
            out.append(char(0xA1));
            appendBigEndian(out, quint64(i + 1), 4);
        } else {
            out.append(char(0xA0));
        }
    }
    const quint64 tableOffset = quint64(out.size());
    out.append(table);
    out.append(QByteArray(6, '\0'));
    out.append(char(4));
    out.append(char(4));
    appendBigEndian(out, quint64(levels), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, tableOffset, 8);
    return out;
}

QByteArray xmlChain(int levels) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" +
           QByteArray("<array>").repeated(levels) + QByteArray("</array>").repeated(levels) +
           "</plist>\n";
}

void measure(const char* kind, const QByteArray& path, const QByteArray& content) {
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.constData());
        std::exit(1);
    }
    file.close();
    const QByteArray cat = "cat '" + path + "' >/dev/null";
    bench::commandSeconds(cat);
    double theirs = 1e9, ours = 1e9;
    platform::PropertyListStatus status = platform::PropertyListStatus::Parsed;
    for (int round = 0; round < kRounds; ++round) {
        theirs = std::min(theirs, bench::commandSeconds(cat));
        ours = std::min(ours, bench::seconds([&] {
                            status = platform::checkPropertyListFile(QString::fromUtf8(path));
                        }));
    }
    const bool refused = status == platform::PropertyListStatus::Malformed;
    std::printf("%s, %d levels, %.1f MB: %s in %.4fs; cat %.4fs; ratio %.2f (goal <= 2.00)\n", kind,
                kLevels, double(content.size()) / 1e6, refused ? "refused" : "NOT REFUSED", ours,
                theirs, ours / theirs);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QByteArray base = bench::scratchFolder(argc, argv, "sweepwell-plist-bench");
    measure("binary", base + "/deep.bplist", binaryChain(kLevels));
    measure("XML", base + "/deep.xml", xmlChain(kLevels));
    bench::commandSeconds("rm -rf '" + base + "'");
    return 0;
}
