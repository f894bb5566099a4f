// The test support itself: a marked check still fails where its divergence
// does not apply and fails loudly where the divergence has gone; tables with
// optional entries accept exactly the sequences they describe.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/common/divergence.h"
#include "tests/common/sequence.h"

namespace {

int g_probes = 0;
bool here() {
    ++g_probes;
    return true;
}
bool not_here() { return false; }

const tw_test::Divergence kHere("support test: a difference every platform has", here);
const tw_test::Divergence kNotHere("support test: a difference no platform has", not_here);

TEST(MarkedChecks, AreOrdinaryWhereTheDivergenceDoesNotApply) {
    EXPECT_UNLESS(kNotHere, 1 + 1 == 2);
    EXPECT_EQ_UNLESS(kNotHere, std::string("a"), "a");
    EXPECT_NONFATAL_FAILURE(EXPECT_UNLESS(kNotHere, 1 + 1 == 3) << "context", "1 + 1 == 3 does not hold");
    EXPECT_NONFATAL_FAILURE(EXPECT_UNLESS(kNotHere, false) << "the caller's words", "the caller's words");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ_UNLESS(kNotHere, std::string("new"), "keep"), "std::string(\"new\") is \"new\"");
}

TEST(MarkedChecks, AreExpectedToFailWhereItAppliesAndReportItsEnd) {
    // Tolerated: no failure, one line on the output.
    EXPECT_UNLESS(kHere, 1 + 1 == 3);
    EXPECT_EQ_UNLESS(kHere, 4, 5);
    // Holding after all: the mark has to go.
    EXPECT_NONFATAL_FAILURE(
        EXPECT_UNLESS(kHere, 1 + 1 == 2),
        "marked divergence \"support test: a difference every platform has\" no longer happens here: "
        "remove the mark (1 + 1 == 2 holds)");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ_UNLESS(kHere, 5, 5), "no longer happens here");
    EXPECT_EQ(g_probes, 1) << "the probe runs once";
}

TEST(MarkedChecks, NamedForWineVersionsApplyOnlyUnderThem) {
    const std::string version = tw_test::wine_version();
    const std::string major = version.substr(0, version.find('.'));
    // "1" is no prefix of 10.0: whole major numbers only.
    const tw_test::Divergence other("support test: a difference of Wine 1 only", "1", here);
    EXPECT_FALSE(other.applies()) << "running under Wine " << version;
    EXPECT_UNLESS(other, 1 + 1 == 2);
    const std::string majors = "1 " + major;
    const tw_test::Divergence this_one("support test: a difference of this Wine only", majors.c_str(), here);
    EXPECT_EQ(this_one.applies(), !version.empty()) << "Windows and native runs have no Wine version";
}

using tw_test::optional;
using Table = tw_test::Table<std::string>;
using Items = std::vector<std::string>;

::testing::AssertionResult matches(const Items& actual, const Table& table) {
    return tw_test::sequence_matches(actual, table, [](const std::string& s) { return s; });
}

TEST(SequenceTables, OptionalEntriesMayBeMissingOnlyAtTheirPlace) {
    const Table table = {"down", optional("select"), "drag", optional("select")};
    EXPECT_TRUE(matches({"down", "drag"}, table));
    EXPECT_TRUE(matches({"down", "select", "drag"}, table));
    EXPECT_TRUE(matches({"down", "drag", "select"}, table));
    EXPECT_TRUE(matches({"down", "select", "drag", "select"}, table));
    EXPECT_FALSE(matches({"select", "down", "drag"}, table)) << "before its place";
    EXPECT_FALSE(matches({"down", "select", "select", "drag"}, table)) << "once at most";
    EXPECT_FALSE(matches({"down"}, table)) << "a required entry missing";
    EXPECT_FALSE(matches({"down", "drag", "up"}, table)) << "an item the table does not have";
    EXPECT_FALSE(matches({"drag", "down"}, table)) << "out of order";
    EXPECT_TRUE(matches({}, {optional("select")}));
    EXPECT_FALSE(matches({"select"}, {}));

    // An optional entry equal to the required one after it: matched either way.
    EXPECT_TRUE(matches({"x"}, {optional("x"), "x"}));
    EXPECT_TRUE(matches({"x", "x"}, {optional("x"), "x"}));
    EXPECT_TRUE(matches({"x"}, {"x", optional("x")}));
}

TEST(SequenceTables, AMismatchShowsExpectedBesideActual) {
    const ::testing::AssertionResult r = matches({"down", "select", "up"}, {"down", optional("select"), "drag"});
    ASSERT_FALSE(r);
    const std::string report = r.message();
    EXPECT_NE(report.find("    expected            actual\n"
                          "    down                down\n"
                          "    select (optional)   select\n"
                          "  > drag                up\n"),
              std::string::npos)
        << report;

    const std::string missing = matches({"down"}, {"down", optional("select"), "drag"}).message();
    EXPECT_NE(missing.find("    select (optional)   -\n"
                           "  > drag                -\n"),
              std::string::npos)
        << missing;
}

}  // namespace
