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

// A binary list of the given encoded objects, the first being the root. Two-byte
// references, four-byte offsets.
QByteArray binaryList(const QList<QByteArray>& objects) {
    QByteArray out("bplist00");
    QList<quint64> offsets;
    for (const QByteArray& object : objects) {
        offsets.append(quint64(out.size()));
        out.append(object);
    }
    const quint64 table = quint64(out.size());
    for (quint64 offset : offsets)
        appendBigEndian(out, offset, 4);
    out.append(QByteArray(6, '\0'));
    out.append(char(4));  // offset size
    out.append(char(2));  // reference size
    appendBigEndian(out, quint64(objects.size()), 8);
    appendBigEndian(out, 0, 8);  // root object
    appendBigEndian(out, table, 8);
    return out;
}

QByteArray reference(int index) {
    QByteArray out;
    appendBigEndian(out, quint64(index), 2);
    return out;
}

// A binary list of `count` objects where object i is an array holding object
// `childOf(i)`, or an empty array when that is negative.
QByteArray binaryArrays(int count, const std::function<int(int)>& childOf) {
    QList<QByteArray> objects;
    for (int i = 0; i < count; ++i) {
        const int child = childOf(i);
        objects.append(child < 0 ? QByteArray(1, char(0xA0)) : char(0xA1) + reference(child));
    }
    return binaryList(objects);
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
    const QByteArray deepXml = nestedXml(200000);
    EXPECT_EQ(platform::checkPropertyList(deepXml), PropertyListStatus::Parsed);
    const int levels = 60000;
    const QByteArray deepBinary =
        binaryArrays(levels, [&](int i) { return i + 1 < levels ? i + 1 : -1; });
    EXPECT_EQ(platform::checkPropertyList(deepBinary), PropertyListStatus::Parsed);
    // Values too deep for whoever destroys them are not handed out.
    EXPECT_FALSE(platform::parsePropertyList(deepXml));
    EXPECT_TRUE(platform::parsePropertyList(nestedXml(platform::kMaxPropertyListValueDepth)));
    // A truncated deep list is still only malformed.
    EXPECT_EQ(platform::checkPropertyList(deepXml.left(deepXml.size() / 2)),
              PropertyListStatus::Malformed);
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
