#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDateTime>
#include <QElapsedTimer>

#include "platform/file_path.h"
#include "platform/property_list.h"
#include "tests/support/fixture_home.h"

namespace {

using platform::PropertyListStatus;

QByteArray xml(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body +
           "</plist>";
}

QByteArray nestedXml(int depth) {
    return xml(QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth));
}

void appendBigEndian(QByteArray& out, quint64 value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// References are two bytes wide, or four in lists too long for two.
int referenceSize(qsizetype objects) {
    return objects > 0xffff ? 4 : 2;
}

// The objects written after the header, then their four-byte offsets, then the trailer
// naming the first object as the root.
QByteArray binaryList(const QByteArray& objects, const QByteArray& offsets, qsizetype count) {
    QByteArray out = "bplist00" + objects + offsets;
    out.append(QByteArray(6, '\0'));
    out.append(char(4));  // offset size
    out.append(char(referenceSize(count)));
    appendBigEndian(out, quint64(count), 8);
    appendBigEndian(out, 0, 8);  // root object
    appendBigEndian(out, 8 + quint64(objects.size()), 8);
    return out;
}

// A binary list of the given encoded objects, the first being the root; `offsetOf` may
// give an object the offset of another.
QByteArray binaryList(
    const QList<QByteArray>& objects,
    const std::function<int(int)>& offsetOf = [](int i) { return i; }) {
    QByteArray body;
    QList<quint64> starts;
    for (const QByteArray& object : objects) {
        starts.append(8 + quint64(body.size()));
        body.append(object);
    }
    QByteArray offsets;
    for (int i = 0; i < objects.size(); ++i)
        appendBigEndian(offsets, starts[offsetOf(i)], 4);
    return binaryList(body, offsets, objects.size());
}

QByteArray reference(int index, int bytes = 2) {
    QByteArray out;
    appendBigEndian(out, quint64(index), bytes);
    return out;
}

// A binary list of `count` objects where object i is an array holding object
// `childOf(i)`, or an empty array when that is negative.
QByteArray binaryArrays(int count, const std::function<int(int)>& childOf) {
    const int bytes = referenceSize(count);
    QByteArray objects;
    QByteArray offsets;
    for (int i = 0; i < count; ++i) {
        appendBigEndian(offsets, 8 + quint64(objects.size()), 4);
        const int child = childOf(i);
        objects.append(char(child < 0 ? 0xA0 : 0xA1));
        if (child >= 0) appendBigEndian(objects, quint64(child), bytes);
    }
    return binaryList(objects, offsets, count);
}

// `levels` arrays, each holding the next.
QByteArray binaryChain(int levels) {
    return binaryArrays(levels, [&](int i) { return i + 1 < levels ? i + 1 : -1; });
}

// `levels` containers, each holding the next, by turns an array, a set and a dictionary
// that keys the next by "k"; the last one empty.
QByteArray mixedBinaryChain(int levels) {
    QList<QByteArray> objects;
    for (int i = 0; i < levels; ++i) {
        const bool last = i + 1 == levels;
        switch (i % 3) {
            case 0:
                objects.append(last ? QByteArray(1, char(0xA0)) : char(0xA1) + reference(i + 1));
                break;
            case 1:
                objects.append(last ? QByteArray(1, char(0xC0)) : char(0xC1) + reference(i + 1));
                break;
            default:
                objects.append(last ? QByteArray(1, char(0xD0))
                                    : char(0xD1) + reference(levels) + reference(i + 1));
        }
    }
    objects.append(QByteArray("\x51k"));
    return binaryList(objects);
}

// The number of arrays and dictionaries on the first path down from `value`.
int nesting(QVariant value) {
    int levels = 0;
    for (;;) {
        if (value.typeId() == QMetaType::QVariantList) {
            const QVariantList list = value.toList();
            ++levels;
            if (list.isEmpty()) return levels;
            value = list.first();
        } else if (value.typeId() == QMetaType::QVariantMap) {
            const QVariantMap map = value.toMap();
            ++levels;
            if (map.isEmpty()) return levels;
            value = map.first();
        } else {
            return levels;
        }
    }
}

TEST(PropertyListTest, XmlValuesBecomeQtValues) {
    const auto value = platform::parsePropertyList(
        xml("<dict><key>s</key><string>caf\xc3\xa9</string><key>i</key><integer>-5</integer>"
            "<key>r</key><real>2.5</real><key>b</key><true/><key>d</key><data>AAEC</data>"
            "<key>t</key><date>2020-01-01T00:00:00Z</date>"
            "<key>a</key><array><integer>1</integer><dict/></array></dict>"));
    ASSERT_TRUE(value);
    const QVariantMap map = value->toMap();
    EXPECT_EQ(map.value(QStringLiteral("s")), QVariant(QStringLiteral("caf\u00e9")));
    EXPECT_EQ(map.value(QStringLiteral("i")).toLongLong(), -5);
    EXPECT_EQ(map.value(QStringLiteral("r")).toDouble(), 2.5);
    EXPECT_EQ(map.value(QStringLiteral("b")), QVariant(true));
    EXPECT_EQ(map.value(QStringLiteral("d")).toByteArray(), QByteArray("\x00\x01\x02", 3));
    EXPECT_EQ(map.value(QStringLiteral("t")).toDateTime(),
              QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC));
    const QVariantList array = map.value(QStringLiteral("a")).toList();
    ASSERT_EQ(array.size(), 2);
    EXPECT_EQ(array[1].typeId(), QMetaType::QVariantMap);
}

TEST(PropertyListTest, BinaryAndXmlFilesGiveTheSameDictionary) {
    FixtureHome home;
    const QVariantMap content{
        {QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.Editor")},
        {QStringLiteral("Nested"), QVariantMap{{QStringLiteral("n"), 3}}}};
    const auto fromXml =
        platform::propertyListDictionaryAtPath(home.xmlPlist(QStringLiteral("a.plist"), content));
    const auto fromBinary = platform::propertyListDictionaryAtPath(
        home.binaryPlist(QStringLiteral("b.plist"), content));
    ASSERT_TRUE(fromXml);
    ASSERT_TRUE(fromBinary);
    EXPECT_EQ(*fromXml, *fromBinary);
    EXPECT_EQ(
        fromBinary->value(QStringLiteral("Nested")).toMap().value(QStringLiteral("n")).toLongLong(),
        3);
}

TEST(PropertyListTest, OnlyADictionaryAtTheTopIsADictionary) {
    const QByteArray array = xml("<array><string>x</string></array>");
    EXPECT_EQ(platform::checkPropertyList(array), PropertyListStatus::Parsed);
    EXPECT_TRUE(platform::parsePropertyList(array));
    EXPECT_FALSE(platform::propertyListDictionary(array));
}

TEST(PropertyListTest, MalformedInputIsMalformed) {
    const QByteArray binary = binaryArrays(3, [](int i) { return i < 2 ? i + 1 : -1; });
    ASSERT_EQ(platform::checkPropertyList(binary), PropertyListStatus::Parsed);
    const QList<QByteArray> inputs{
        QByteArray(),
        QByteArray("garbage"),
        xml("<dict><key>a</key><string>unterminated"),
        binary.left(binary.size() - 5),
        QByteArray("bplist00"),
        // Objects that hold each other.
        binaryArrays(2, [](int i) { return 1 - i; }),
        // A reference past the last object.
        binaryArrays(2, [](int i) { return i == 0 ? 7 : -1; }),
    };
    // Dictionaries keyed by a dictionary, and by a string holding a NUL character.
    const QByteArray dictionary = char(0xD1) + reference(1) + reference(2);
    for (const QByteArray& key : {QByteArray(1, char(0xD0)),
                                  QByteArray("\x52"
                                             "a\0",
                                             3),
                                  QByteArray("\x61\0\0", 3)}) {
        const QByteArray badKey = binaryList({dictionary, key, QByteArray(1, char(0xA0))});
        EXPECT_FALSE(platform::propertyListDictionary(badKey)) << badKey.toHex().constData();
    }
    EXPECT_TRUE(platform::propertyListDictionary(binaryList({dictionary,
                                                             QByteArray("\x52"
                                                                        "ab",
                                                                        3),
                                                             QByteArray(1, char(0xA0))})));
    for (const QByteArray& input : inputs) {
        EXPECT_EQ(platform::checkPropertyList(input), PropertyListStatus::Malformed)
            << input.toHex().constData();
        EXPECT_FALSE(platform::parsePropertyList(input));
    }
}

TEST(PropertyListTest, DeepValidListsParseWithoutOverflowingTheStack) {
    const int levels = platform::kMaxPropertyListDepth;
    for (const QByteArray& list : {nestedXml(levels), binaryChain(levels)}) {
        EXPECT_EQ(platform::checkPropertyList(list), PropertyListStatus::Parsed);
        const auto value = platform::parsePropertyList(list);
        ASSERT_TRUE(value);
        EXPECT_EQ(nesting(*value), levels);
    }
    const QByteArray mixed = mixedBinaryChain(levels);
    EXPECT_EQ(platform::checkPropertyList(mixed), PropertyListStatus::Parsed);
    EXPECT_TRUE(platform::parsePropertyList(mixed));
    // A truncated deep list is still only malformed.
    const QByteArray deepXml = nestedXml(levels);
    EXPECT_EQ(platform::checkPropertyList(deepXml.left(deepXml.size() / 2)),
              PropertyListStatus::Malformed);
}

// libplist parses a binary list in time quadratic in its depth (a million levels take
// minutes) and recurses once per level: such a list is refused before it gets there.
TEST(PropertyListTest, ListsNestedDeeperThanTheLimitAreMalformed) {
    const int limit = platform::kMaxPropertyListDepth;
    const QByteArray dictionaries = xml(QByteArray("<dict><key>k</key>").repeated(limit + 1) +
                                        QByteArray("</dict>").repeated(limit + 1));
    for (const QByteArray& list :
         {nestedXml(limit + 1), dictionaries, binaryChain(limit + 1), mixedBinaryChain(limit + 1),
          nestedXml(100000), binaryChain(1000000)}) {
        EXPECT_EQ(platform::checkPropertyList(list), PropertyListStatus::Malformed) << list.size();
        EXPECT_FALSE(platform::parsePropertyList(list)) << list.size();
    }
}

TEST(PropertyListTest, BinaryReferencesToAncestorsOrToNothingAreMalformed) {
    const int levels = 1000000;
    const QList<QByteArray> inputs{
        // A million levels whose last refers back to the top, or past the last object.
        binaryArrays(levels, [&](int i) { return i + 1 < levels ? i + 1 : 0; }),
        binaryArrays(levels, [&](int i) { return i + 1 < levels ? i + 1 : levels; }),
        // Within the limit: back to the middle, or a dictionary holding itself.
        binaryArrays(10, [](int i) { return i < 9 ? i + 1 : 5; }),
        binaryList({char(0xD1) + reference(1) + reference(0), QByteArray("\x51k")}),
        // Two indices of one array, which holds the second.
        binaryList({char(0xA1) + reference(1), QByteArray()}, [](int) { return 0; }),
    };
    for (const QByteArray& input : inputs) {
        EXPECT_EQ(platform::checkPropertyList(input), PropertyListStatus::Malformed)
            << input.size();
        EXPECT_FALSE(platform::parsePropertyList(input)) << input.size();
    }
    // Objects met twice without a cycle are fine: two indices of one empty array, and a
    // chain down to the limit held twice.
    const QByteArray twoIndices = binaryList(
        {char(0xA2) + reference(1) + reference(2), QByteArray(1, char(0xA0)), QByteArray()},
        [](int i) { return i == 2 ? 1 : i; });
    EXPECT_EQ(platform::checkPropertyList(twoIndices), PropertyListStatus::Parsed);
    const int limit = platform::kMaxPropertyListDepth;
    QList<QByteArray> objects{char(0xA2) + reference(1) + reference(1)};
    for (int i = 1; i < limit; ++i)
        objects.append(i + 1 < limit ? char(0xA1) + reference(i + 1) : QByteArray(1, char(0xA0)));
    const auto shared = platform::parsePropertyList(binaryList(objects));
    ASSERT_TRUE(shared);
    EXPECT_EQ(nesting(*shared), limit);
    EXPECT_EQ(nesting(shared->toList().last()), limit - 1);
}

TEST(PropertyListTest, OnlyRealNestingCountsInXml) {
    const int limit = platform::kMaxPropertyListDepth;
    const QByteArray deeper = QByteArray("<array>").repeated(limit + 1);
    // At the last level, many empty elements, and deeper nesting that is only text.
    const QByteArray last = QByteArray("<array/><dict/><array /><dict\t/>").repeated(limit) +
                            "<!-- " + deeper + " --><string><![CDATA[" + deeper +
                            "]]></string><string>&lt;array&gt;</string><string><!--" + deeper +
                            "-->x</string>";
    const QByteArray list =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">" +
        QByteArray("<array>").repeated(limit - 1) + last +
        QByteArray("</array>").repeated(limit - 1) + "</plist>";
    EXPECT_EQ(platform::checkPropertyList(list), PropertyListStatus::Parsed);
    const auto value = platform::parsePropertyList(list);
    ASSERT_TRUE(value);
    EXPECT_EQ(nesting(*value), limit);
    // An empty element is a level of its own.
    const QByteArray emptyBeyond = xml(QByteArray("<array>").repeated(limit) + "<dict/>" +
                                       QByteArray("</array>").repeated(limit));
    EXPECT_EQ(platform::checkPropertyList(emptyBeyond), PropertyListStatus::Malformed);
}

TEST(PropertyListTest, LargeValidListIsParsed) {
    QByteArray body = "<array>";
    for (int i = 0; i < 100000; ++i)
        body += "<dict><key>k</key><array><integer>1</integer></array></dict>";
    body += "</array>";
    EXPECT_EQ(platform::checkPropertyList(xml(body)), PropertyListStatus::Parsed);
}

TEST(PropertyListTest, FilesThatCannotBeReadAreMalformedAndHugeOnesUnexamined) {
    FixtureHome home;
    EXPECT_EQ(platform::checkPropertyListFile(home.abs(QStringLiteral("missing.plist"))),
              PropertyListStatus::Malformed);
    EXPECT_EQ(platform::checkPropertyListFile(home.folder(QStringLiteral("folder.plist"))),
              PropertyListStatus::Malformed);
    const QString huge = home.sparseFile(QStringLiteral("huge.plist"),
                                         quint64(platform::kMaxPropertyListFileBytes) + 1);
    EXPECT_EQ(platform::checkPropertyListFile(huge), PropertyListStatus::Unexamined);
    EXPECT_FALSE(platform::propertyListDictionaryAtPath(huge));

    // A FIFO would block a plain read forever.
    const QString fifo = home.abs(QStringLiteral("fifo.plist"));
    ASSERT_EQ(mkfifo(platform::encodePath(fifo).constData(), 0644), 0);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(platform::checkPropertyListFile(fifo), PropertyListStatus::Malformed);
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(PropertyListTest, FileWithANameThatIsNotUtf8IsRead) {
    FixtureHome home;
    const QString name = platform::decodePath(QByteArray("caf\xe9.plist"));
    const QString path = home.xmlPlist(name, {{QStringLiteral("k"), QStringLiteral("v")}});
    const auto dictionary = platform::propertyListDictionaryAtPath(path);
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->value(QStringLiteral("k")).toString(), QStringLiteral("v"));
}

}  // namespace
