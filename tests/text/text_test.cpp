#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "text/text.h"

namespace {

// Values as they arrive from settings and option fields.
TEST(TextToInt, ReadsTheThreeNumberFormsAndStopsAtTheFirstForeignCharacter) {
    EXPECT_EQ(text_to_int("  -12abc"), -12);
    EXPECT_EQ(text_to_int("\t+7"), 7);
    EXPECT_EQ(text_to_int("$ff"), 255);
    EXPECT_EQ(text_to_int("$FFg"), 255);
    EXPECT_EQ(text_to_int("-$10"), -16);
    EXPECT_EQ(text_to_int("%101"), 5);
    EXPECT_EQ(text_to_int("%1012"), 5);  // 2 is no binary digit
    EXPECT_EQ(text_to_int("12.9"), 12);
    EXPECT_EQ(text_to_int("007"), 7);
    // No digits give 0: empty, sign only, prefix only, C-style hex, other blanks.
    EXPECT_EQ(text_to_int(""), 0);
    EXPECT_EQ(text_to_int(nullptr), 0);
    EXPECT_EQ(text_to_int("-"), 0);
    EXPECT_EQ(text_to_int("$"), 0);
    EXPECT_EQ(text_to_int("%"), 0);
    EXPECT_EQ(text_to_int("0x1F"), 0);
    EXPECT_EQ(text_to_int("\n5"), 0);
    EXPECT_EQ(text_to_int("- 5"), 0);
    EXPECT_EQ(text_to_int("+-5"), 0);
}

TEST(TextToInt, AccumulatesIn64BitsAndStopsAtTheLimits) {
    EXPECT_EQ(text_to_int("4294967296"), INT64_C(4294967296));
    EXPECT_EQ(text_to_int("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(text_to_int("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(text_to_int("9223372036854775808"), INT64_MAX);
    EXPECT_EQ(text_to_int("-9223372036854775809"), INT64_MIN);
    EXPECT_EQ(text_to_int("18446744073709551617"), INT64_MAX);  // 2^64 + 1 wraps to 1 no more
    EXPECT_EQ(text_to_int("99999999999999999999"), INT64_MAX);  // twenty digits typed into a field
    EXPECT_EQ(text_to_int("-99999999999999999999"), INT64_MIN);
    EXPECT_EQ(text_to_int("$FFFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(text_to_int("$1FFFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(text_to_int("%" + std::string(70, '1')), INT64_MAX);
    // The low byte is what goes into a byte field.
    EXPECT_EQ(static_cast<std::uint8_t>(text_to_int("300")), 44);
    EXPECT_EQ(static_cast<std::int8_t>(text_to_int("-1")), -1);
    // A long run of digits neither crashes nor stalls.
    std::string many(100000, '9');
    (void)text_to_int(many);
}

TEST(IntToText, RoundTripsAcrossTheWholeRange) {
    EXPECT_EQ(int_to_text(0), "0");
    EXPECT_EQ(int_to_text(7), "7");
    EXPECT_EQ(int_to_text(-1), "-1");
    EXPECT_EQ(int_to_text(1000), "1000");
    EXPECT_EQ(int_to_text(-2147483648LL), "-2147483648");
    EXPECT_EQ(int_to_text(2147483647), "2147483647");
    EXPECT_EQ(int_to_text(INT64_MAX), "9223372036854775807");
    EXPECT_EQ(int_to_text(INT64_MIN), "-9223372036854775808");
    for (std::int64_t v : {INT64_C(0), INT64_C(1), INT64_C(-99), INT64_C(123456789012), INT64_MIN, INT64_MAX})
        EXPECT_EQ(text_to_int(int_to_text(v)), v);
}

TEST(FloatToInt, TruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(float_to_int(2.9), 2);
    EXPECT_EQ(float_to_int(-2.9), -2);
    EXPECT_EQ(float_to_int(-0.5), 0);
    EXPECT_EQ(float_to_int(2147483647.9), 2147483647);
    EXPECT_EQ(float_to_int(-2147483648.9), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(float_to_int(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(float_to_int(-std::numeric_limits<double>::infinity()), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(float_to_int(std::numeric_limits<double>::quiet_NaN()), 0);
}

// Cutting a configuration line apart the way the game configuration is read.
TEST(TextCutting, LeftRightAndLengthClampTheirCounts) {
    const char* name = "green.pal";  // 9 bytes
    EXPECT_EQ(text_length(name), 9);
    EXPECT_EQ(text_length(nullptr), 0);
    EXPECT_EQ(text_left(name, 5), "green");
    EXPECT_EQ(text_left(name, 0), "");
    EXPECT_EQ(text_left(name, -1), "");
    EXPECT_EQ(text_left(name, 9), name);
    EXPECT_EQ(text_left(name, 1000), name);
    EXPECT_EQ(text_left(name, INT64_MAX), name);
    EXPECT_EQ(text_right(name, 3), "pal");
    EXPECT_EQ(text_right(name, -5), "");
    EXPECT_EQ(text_right(name, INT64_MAX), name);
    EXPECT_EQ(text_right(nullptr, 3), "");
    // Bytes past a zero byte and high bytes are ordinary bytes.
    std::string odd("a\0\xE4z", 4);
    EXPECT_EQ(text_length(odd), 4);
    EXPECT_EQ(text_right(odd, 3), std::string("\0\xE4z", 3));

    std::string line = "PaletteFile = c:\\pal\\blue.pal";
    std::int64_t eq = text_find(line, "=");
    ASSERT_EQ(eq, 13);
    EXPECT_EQ(text_trim(text_right(line, text_length(line) - eq)), "c:\\pal\\blue.pal");
    EXPECT_EQ(text_trim(text_left(line, eq - 1)), "PaletteFile");
}

TEST(TextFind, FindsFirstOccurrenceFromTheStartPosition) {
    const char* t = "abcabc";
    EXPECT_EQ(text_find(t, "bc"), 2);
    EXPECT_EQ(text_find(t, "bc", 3), 5);
    EXPECT_EQ(text_find(t, "bc", 5), 5);
    EXPECT_EQ(text_find(t, "bc", 6), 0);
    EXPECT_EQ(text_find(t, "abc"), 1);
    EXPECT_EQ(text_find(t, "abc", 0), 1);    // below 1 counts as 1
    EXPECT_EQ(text_find(t, "abc", -50), 1);
    EXPECT_EQ(text_find(t, "c", 6), 6);      // last position
    EXPECT_EQ(text_find(t, "c", 7), 0);      // beyond the length
    EXPECT_EQ(text_find(t, "c", INT64_MAX), 0);
    EXPECT_EQ(text_find(t, "ABC"), 0);       // case-sensitive
    EXPECT_EQ(text_find(t, "abcabcd"), 0);   // longer than the text
    EXPECT_EQ(text_find(t, ""), 0);
    EXPECT_EQ(text_find(t, nullptr), 0);
    EXPECT_EQ(text_find("", "a"), 0);
    EXPECT_EQ(text_find(nullptr, "a"), 0);
}

TEST(TextTrimLowerEqual, OnlySpacesAreTrimmedAndOnlyTheTwoUpperBlocksLowered) {
    EXPECT_EQ(text_trim("  qz.pal  "), "qz.pal");
    EXPECT_EQ(text_trim("\tqz.pal "), "\tqz.pal");
    EXPECT_EQ(text_trim("a b"), "a b");
    EXPECT_EQ(text_trim("    "), "");
    EXPECT_EQ(text_trim(nullptr), "");

    EXPECT_EQ(text_lower("C:\\Games\\Pistova.EXE"), "c:\\games\\pistova.exe");
    // 0xC4 (A umlaut) -> 0xE4; 0xD7 is raised too; 0xDF, 0xC0 - 1 and 0xDE + 1 edges.
    EXPECT_EQ(text_lower("\xC4\xD6\xDC\xD7\xC0\xDE"), "\xE4\xF6\xFC\xF7\xE0\xFE");
    EXPECT_EQ(text_lower("\xBF\xDF\xE4@[`{"), "\xBF\xDF\xE4@[`{");
    EXPECT_EQ(text_lower(nullptr), "");

    EXPECT_TRUE(text_equal("Nix gew\xE4hlt", "Nix gew\xE4hlt"));
    EXPECT_FALSE(text_equal("blue.pal", "Blue.pal"));
    EXPECT_FALSE(text_equal("blue", "blue "));
    EXPECT_TRUE(text_equal(nullptr, ""));
    EXPECT_TRUE(text_equal(nullptr, nullptr));
    EXPECT_FALSE(text_equal(nullptr, "x"));

    EXPECT_EQ(text_concat({"c:\\pal\\", "blue", nullptr, ".jpg"}), "c:\\pal\\blue.jpg");
    EXPECT_EQ(text_concat({}), "");
}

}  // namespace
