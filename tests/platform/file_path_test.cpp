#include <gtest/gtest.h>

#include "platform/file_path.h"

namespace {

TEST(FilePath, InvalidUtf8RoundTripsThroughEscapes) {
    const QByteArray raw("caf\xe9-\xff\xfe/\xed\xa0\x80", 12);
    const QString decoded = platform::decodePath(raw);
    EXPECT_TRUE(platform::hasEscapedBytes(decoded));
    EXPECT_EQ(platform::encodePath(decoded), raw);
}

}  // namespace
