#include "tests/support/search_fixtures.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>

#include "engine/disk_utilities.h"
#include "platform/fakes/fakes.h"
#include "platform/file_path.h"
#include "platform/metadata_search_tool.h"

namespace {

platform::Services searchServices(const QString& home, bool gateOpen, const QString& cache) {
    platform::Services services = platform::fakes::fakeServices(home);
    services.notificationGate = std::make_shared<platform::fakes::FakeNotificationGate>(gateOpen);
    platform::ToolMetadataSearch::Options options;
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

SearchPlatform::SearchPlatform(const QString& home, bool gateOpen) {
    services_.emplace(searchServices(home, gateOpen, cache_.path()));
    QSDiskUtilities::sharedInstance().updatePaths();
}

SearchPlatform::~SearchPlatform() {
    services_.reset();
    QSDiskUtilities::sharedInstance().updatePaths();
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

ToolRun runSearchTool(const QStringList& arguments) {
    QProcess process;
    process.start(searchToolPath(), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000)) return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
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
