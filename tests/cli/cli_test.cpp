#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "cli/cli_options.h"
#include "cli/report.h"
#include "engine/json_writer.h"
#include "platform/file_path.h"
#include "tests/cli/cli_run.h"
#include "tests/support/fixture_home.h"

namespace {

TEST(JsonWriter, EscapesControlsAndKeepsUndecodableBytesRecoverable) {
    JsonWriter json;
    json.beginObject();
    json.key(QStringLiteral("path"));
    json.value(platform::decodePath(QByteArray("a\"b\\c\nd\x01\xff\xc3\xa9")));
    json.key(QStringLiteral("none"));
    json.value(QString());
    json.key(QStringLiteral("list"));
    json.beginArray();
    json.endArray();
    json.endObject();
    const QByteArray doc = json.document();
    EXPECT_TRUE(doc.contains(R"("a\"b\\c\nd\u0001\udcff)"
                             "\xc3\xa9\""));
    EXPECT_TRUE(doc.contains("\"none\": null"));
    EXPECT_TRUE(doc.contains("\"list\": []"));
    // Everything but the escaped byte parses as ordinary JSON.
    QByteArray plain = doc;
    plain.replace("\\udcff", "");
    EXPECT_FALSE(QJsonDocument::fromJson(plain).isNull());
}

TEST(CliOptions, JsonPathTextsNameExactlyOnePath) {
    const auto bytes = [](const char* text) {
        const auto path = decodeJsonString(QString::fromUtf8(text));
        return path ? std::optional<QByteArray>(platform::encodePath(*path)) : std::nullopt;
    };
    EXPECT_EQ(bytes(R"(/a/\udcff\uDCFEx)"), QByteArray("/a/\xff\xfex"));
    // A literal backslash is written doubled, so it never reads as an escaped byte.
    EXPECT_EQ(bytes(R"(/a/amb\\udcffx)"), QByteArray("/a/amb\\udcffx"));
    EXPECT_EQ(bytes(R"(/a/\"q\"\n\t\/)"), QByteArray("/a/\"q\"\n\t/"));
    EXPECT_EQ(bytes(R"(/a/\ud83d\ude00)"), QByteArray("/a/\xf0\x9f\x98\x80"));
    // Texts that name no path: a bare backslash, an unknown escape, a short \u, a lone
    // surrogate that stands for no byte (\udc41 would be "A", never escaped).
    for (const char* bad : {R"(/a/\)", R"(/a/\q)", R"(/a/\udcf)", R"(/a/\udc41)", R"(/a/\ud83d)"})
        EXPECT_FALSE(bytes(bad)) << bad;
}

TEST(TerminalText, NoNameCanMoveTheCursorForgeALineOrPassForAnother) {
    const QString name = QStringLiteral("junk\r\x1b[1A\x1b[2K\nforged\tline\\x1b") + QChar(0x202E) +
                         QChar(0x9B) + platform::decodePath("\xff");
    EXPECT_EQ(report::terminalText(name),
              QByteArray(R"(junk\r\x1b[1A\x1b[2K\nforged\tline\\x1b\u202e\x9b\xff)"));
    EXPECT_EQ(report::terminalText(QStringLiteral("caf\u00e9 \U0001F600")),
              QByteArray("caf\xc3\xa9 \xf0\x9f\x98\x80"));
}

TEST(CliOptions, UsageErrors) {
    EXPECT_EQ(runCli({}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("frobnicate")}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("scan"), QStringLiteral("--home")}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("clean"), QStringLiteral("--yes")}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("scan"), QStringLiteral("--yes")}).status, 2);
    const CliRun unknown =
        runCli({QStringLiteral("scan"), QStringLiteral("--category"), QStringLiteral("nope")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains("valid keys"));
    // An empty or relative folder would mean wherever the command happens to run.
    for (const char* option : {"--home", "--system-root", "--volume"}) {
        for (const char* folder : {"", "relative/home"}) {
            const CliRun refused = runCli(
                {QStringLiteral("scan"), QString::fromLatin1(option), QString::fromLatin1(folder)});
            EXPECT_EQ(refused.status, 2) << option << " '" << folder << "'";
            EXPECT_TRUE(refused.err.contains("takes an absolute folder"));
        }
    }
}

TEST(CliScan, JsonNamesTheHomeFolderAfterTheHomeRule) {
    FixtureHome home;
    const QString container = home.folder(QStringLiteral("Library/Containers/org.x/Data"));
    const CliRun run =
        runCli({QStringLiteral("scan"), QStringLiteral("--json"), QStringLiteral("--home"),
                container, QStringLiteral("--volume"), QStringLiteral("/")});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    const QJsonObject doc = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(doc.value(QStringLiteral("home")).toString(), home.path());
    EXPECT_EQ(doc.value(QStringLiteral("volume")).toString(), u"/");
    EXPECT_TRUE(doc.value(QStringLiteral("categories")).isArray());
}

TEST(CliClean, LoginItemsAreNeverRemoved) {
    FixtureHome home;
    const CliRun run = runCli({QStringLiteral("clean"), QStringLiteral("--home"), home.path(),
                               QStringLiteral("--category"), QStringLiteral("actual-login-items"),
                               QStringLiteral("--yes")});
    EXPECT_EQ(run.status, 2);
}

}  // namespace
