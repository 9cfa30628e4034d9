#include <gtest/gtest.h>

#include <limits>

#include "results/memory_formatter.h"

namespace {

class MemoryFormatterTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(MemoryFormatterTest, DecimalUnitsWithTwoDecimals) {
    const KPMemoryFormatter formatter;
    EXPECT_EQ(formatter.stringFromBytes(0), u"0.0 bytes");
    EXPECT_EQ(formatter.stringFromBytes(999), u"999.00 bytes");
    EXPECT_EQ(formatter.stringFromBytes(1000), u"1.00 KB");
    EXPECT_EQ(formatter.stringFromBytes(1234567), u"1.23 MB");
    EXPECT_EQ(formatter.stringFromBytes(2.5e12), u"2.50 TB");
    // Scaling stops below 1000 before rounding, and at the largest unit.
    EXPECT_EQ(formatter.stringFromBytes(999999), u"1000.00 KB");
    EXPECT_TRUE(
        formatter.stringFromBytes(double(std::numeric_limits<quint64>::max())).endsWith(u" EB"));
}

TEST_F(MemoryFormatterTest, TheNumberFollowsTheUsersLocale) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(KPMemoryFormatter().stringFromBytes(1234567), u"1,23 MB");
}

TEST_F(MemoryFormatterTest, ConversionsAndFormats) {
    const KPMemoryFormatter formatter;
    EXPECT_DOUBLE_EQ(formatter.convertBytes(2, 3e6), 3.0);
    EXPECT_DOUBLE_EQ(formatter.convertValue(5, 2, 0), 5e6);
    EXPECT_DOUBLE_EQ(formatter.convertValue(5, 1, 3), 5);
    EXPECT_EQ(formatter.stringFormat(), u"%0.1f %@");
    EXPECT_EQ(formatter.arrayFromBytes(1500),
              (QStringList{QStringLiteral("1.50"), QStringLiteral("KB")}));
}

}  // namespace
