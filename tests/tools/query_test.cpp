#include <gtest/gtest.h>

#include "tools/mdsearch/query.h"

using namespace mdsearch;

namespace {

const Comparison& onlyComparison(const ParseResult& result) {
    EXPECT_TRUE(result.root) << result.error;
    EXPECT_EQ(result.root->type, QueryNode::Type::Comparison);
    return result.root->comparison;
}

}  // namespace

TEST(QueryParser, ReadsEveryComparisonOperator) {
    const struct {
        const char* text;
        CompareOp op;
    } cases[] = {{"a == 1", CompareOp::Equal},     {"a = 1", CompareOp::Equal},
                 {"a != 1", CompareOp::NotEqual},  {"a >= 1", CompareOp::GreaterEqual},
                 {"a <= 1", CompareOp::LessEqual}, {"a > 1", CompareOp::Greater},
                 {"a < 1", CompareOp::Less},       {"a>=1", CompareOp::GreaterEqual}};
    for (const auto& c : cases) {
        const ParseResult result = parseQuery(c.text);
        EXPECT_EQ(onlyComparison(result).op, c.op) << c.text;
        EXPECT_EQ(onlyComparison(result).attribute, "a") << c.text;
    }
}

TEST(QueryParser, ReadsTheLargeFilesQueryWithItsDoubleBlank) {
    const ParseResult result = parseQuery(
        "kMDItemFSSize>=100000000  && (kMDItemKind != 'Installer package' && kMDItemKind != "
        "'Disk Image')");
    ASSERT_TRUE(result.root) << result.error;
    ASSERT_EQ(result.root->type, QueryNode::Type::And);
    ASSERT_EQ(result.root->operands.size(), 2u);
    const Comparison& size = result.root->operands[0]->comparison;
    EXPECT_EQ(size.attribute, "kMDItemFSSize");
    EXPECT_EQ(size.value.kind, Value::Kind::Number);
    EXPECT_EQ(size.value.integer, 100000000);
    const QueryNode& inner = *result.root->operands[1];
    ASSERT_EQ(inner.type, QueryNode::Type::And);
    EXPECT_EQ(inner.operands[0]->comparison.value.text.text(), "Installer package");
    EXPECT_EQ(inner.operands[1]->comparison.op, CompareOp::NotEqual);
}

TEST(QueryParser, AndBindsTighterThanOr) {
    const ParseResult result = parseQuery("a = 1 || b = 2 && c = 3 || d = 4");
    ASSERT_TRUE(result.root);
    ASSERT_EQ(result.root->type, QueryNode::Type::Or);
    ASSERT_EQ(result.root->operands.size(), 3u);
    EXPECT_EQ(result.root->operands[1]->type, QueryNode::Type::And);
    const ParseResult grouped = parseQuery("(a = 1 || b = 2) && c = 3");
    ASSERT_TRUE(grouped.root);
    EXPECT_EQ(grouped.root->type, QueryNode::Type::And);
    EXPECT_EQ(grouped.root->operands[0]->type, QueryNode::Type::Or);
}

TEST(QueryParser, JoinsSeveralArgumentsIntoOneQuery) {
    const std::string joined = joinQueryArguments(
        {"kMDItemDisplayName == '*.download'", "||", "kMDItemDisplayName == '*.part'"});
    EXPECT_EQ(joined, "kMDItemDisplayName == '*.download' || kMDItemDisplayName == '*.part'");
    const ParseResult result = parseQuery(joined);
    ASSERT_TRUE(result.root);
    EXPECT_EQ(result.root->type, QueryNode::Type::Or);
}

TEST(QueryParser, ReadsValuesOfEveryForm) {
    EXPECT_EQ(onlyComparison(parseQuery("a = 'x y'")).value.text.text(), "x y");
    EXPECT_EQ(onlyComparison(parseQuery("a = \"it's\"")).value.text.text(), "it's");
    EXPECT_EQ(onlyComparison(parseQuery("a = 'it\\'s \\\\'")).value.text.text(), "it's \\");
    const Value word = onlyComparison(parseQuery("a=com.apple.application-bundle")).value;
    EXPECT_EQ(word.kind, Value::Kind::Text);
    EXPECT_FALSE(word.quoted);
    EXPECT_EQ(word.text.text(), "com.apple.application-bundle");
    const Value negative = onlyComparison(parseQuery("a = -12")).value;
    EXPECT_EQ(negative.integer, -12);
    const Value fraction = onlyComparison(parseQuery("a = 2.5")).value;
    EXPECT_FALSE(fraction.integer);
    EXPECT_DOUBLE_EQ(fraction.number, 2.5);
    const Value huge = onlyComparison(parseQuery("a = 99999999999999999999")).value;
    EXPECT_FALSE(huge.integer);
    EXPECT_GT(huge.number, 9e19);
}

TEST(QueryParser, ReadsTimeValues) {
    const Value days = onlyComparison(parseQuery("a<=$time.today(-90)")).value;
    EXPECT_EQ(days.kind, Value::Kind::Time);
    EXPECT_EQ(days.timeBase, Value::TimeBase::Today);
    EXPECT_EQ(days.timeOffset, -90);
    EXPECT_EQ(onlyComparison(parseQuery("a < $time.today")).value.timeOffset, 0);
    EXPECT_EQ(onlyComparison(parseQuery("a < $time.today( +3 )")).value.timeOffset, 3);
    const Value now = onlyComparison(parseQuery("a > $time.now(-60)")).value;
    EXPECT_EQ(now.timeBase, Value::TimeBase::Now);
    EXPECT_EQ(now.timeOffset, -60);
}

TEST(QueryParser, RefusesMalformedQueriesWithAnOffset) {
    const char* malformed[] = {
        "",
        "   ",
        "kMDItemFSSize",
        "kMDItemFSSize >=",
        "kMDItemFSSize >= 'x",
        "kMDItemFSSize >= 'x\\",
        "kMDItemFSSize 5",
        "= 5",
        "a = 5 &&",
        "&& a = 5",
        "a = 5 || || b = 6",
        "a = 5 & b = 6",
        "(a = 5",
        "a = 5)",
        "()",
        "a = 'x'y",
        "a = 5x",
        "a = 1.",
        "a = $time.yesterday",
        "a = $time.today(",
        "a = $time.today(x)",
        "a = $time.today(-)",
        "a = $time.today(99999999999999999999)",
        "a => 5",
        "a = @",
        "1a = 5",
    };
    for (const char* text : malformed) {
        const ParseResult result = parseQuery(text);
        EXPECT_FALSE(result.root) << text;
        EXPECT_FALSE(result.error.empty()) << text;
        EXPECT_LE(result.errorOffset, std::string_view(text).size()) << text;
    }
}

TEST(QueryParser, LimitsNestingButNotChainLength) {
    const std::string deep = std::string(5000, '(') + "a = 1" + std::string(5000, ')');
    const ParseResult nested = parseQuery(deep);
    EXPECT_FALSE(nested.root);
    EXPECT_NE(nested.error.find("deeply"), std::string::npos);

    std::string chain = "a = 1";
    for (int i = 0; i < 200000; ++i)
        chain += " || a = 1";
    const ParseResult result = parseQuery(chain);
    ASSERT_TRUE(result.root);
    EXPECT_EQ(result.root->operands.size(), 200001u);
}

TEST(QueryGlob, MatchesWildcardsAnywhere) {
    const auto glob = [](const char* text) { return onlyComparison(parseQuery(text)).value.text; };
    EXPECT_TRUE(glob("a = '*.download'").matches("x.download"));
    EXPECT_TRUE(glob("a = '*.download'").matches(".download"));
    EXPECT_FALSE(glob("a = '*.download'").matches("x.download.txt"));
    EXPECT_FALSE(glob("a = '*.download'").matches("download"));
    EXPECT_TRUE(glob("a = 'Screen*at*.png'").matches("Screenshot 2024 at 10.png"));
    EXPECT_FALSE(glob("a = 'Screen*at*.png'").matches("Screenshot 2024.png"));
    EXPECT_TRUE(glob("a = '*'").matches(""));
    EXPECT_TRUE(glob("a = 'ab*ba'").matches("aba*ba"));
    EXPECT_FALSE(glob("a = 'ab*ba'").matches("aba"));
    EXPECT_TRUE(glob("a = 'x'").matches("x"));
    EXPECT_FALSE(glob("a = 'x'").matches("X"));
    // An escaped star is a star, not a wildcard.
    EXPECT_TRUE(glob("a = 'a\\*'").matches("a*"));
    EXPECT_FALSE(glob("a = 'a\\*'").matches("ab"));
}
