#include <gtest/gtest.h>
#include <QList>

#include "platform/file_path.h"

namespace {

using platform::appendPathComponent;
using platform::decodePath;
using platform::deletingLastPathComponent;
using platform::encodePath;
using platform::lastPathComponent;
using platform::standardizePath;

TEST(FilePath, BytesRoundTripWhateverTheirEncoding) {
    const QList<QByteArray> names = {
        QByteArray("plain-ascii"),
        QByteArray("caf\xc3\xa9 \xf0\x9f\x98\x80"),  // valid two- and four-byte UTF-8
        QByteArray("caf\xe9-\xff\xfe"),              // Latin-1 bytes, not UTF-8
        QByteArray("\xed\xa0\x80surrogate", 12),     // an encoded surrogate is invalid
        QByteArray("\xc0\xafoverlong"),              // overlong form of '/'
        QByteArray("truncated\xe2\x82"),             // sequence cut short at the end
    };
    for (const QByteArray& raw : names) {
        const QString decoded = decodePath(raw);
        EXPECT_EQ(encodePath(decoded), raw) << raw.toHex().constData();
    }
    EXPECT_FALSE(platform::hasEscapedBytes(decodePath(names[1])));
    EXPECT_EQ(decodePath(names[1]), QStringLiteral("caf\u00e9 \U0001F600"));
    EXPECT_TRUE(platform::hasEscapedBytes(decodePath(names[2])));
    // An overlong slash must never turn into a path separator.
    EXPECT_FALSE(decodePath(names[4]).contains(u'/'));
}

TEST(FilePath, ComponentsUseExactlyOneSeparator) {
    EXPECT_EQ(appendPathComponent(QStringLiteral("/a/b"), QStringLiteral("c")), u"/a/b/c");
    EXPECT_EQ(appendPathComponent(QStringLiteral("/a/b/"), QStringLiteral("/c")), u"/a/b/c");
    EXPECT_EQ(appendPathComponent(QStringLiteral("/"), QStringLiteral("Library")), u"/Library");
    EXPECT_EQ(lastPathComponent(QStringLiteral("/a/b/")), u"b");
    EXPECT_EQ(lastPathComponent(QStringLiteral("/")), u"/");
    EXPECT_EQ(deletingLastPathComponent(QStringLiteral("/a/b")), u"/a");
    EXPECT_EQ(deletingLastPathComponent(QStringLiteral("/a")), u"/");
}

TEST(FilePath, StandardizingExpandsTildeAndDotsKeepingEscapes) {
    EXPECT_EQ(standardizePath(QStringLiteral("~/x/../y/"), QStringLiteral("/home/u")),
              u"/home/u/y");
    EXPECT_EQ(standardizePath(QStringLiteral("/a//b/./c")), u"/a/b/c");
    const QString escaped = decodePath(QByteArray("/a/\xff/./b"));
    EXPECT_EQ(encodePath(standardizePath(escaped)), QByteArray("/a/\xff/b"));
}

}  // namespace
