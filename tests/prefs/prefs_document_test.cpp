#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "prefs/portable/prefs_document.h"

using tw::prefs::Document;
using tw::prefs::EntryKind;

namespace {

Document loaded(const std::string& bytes) { return Document(bytes); }

// Entries point into the document's own buffer: it can be neither copied nor moved.
static_assert(!std::is_copy_constructible_v<Document> && !std::is_copy_assignable_v<Document>);
static_assert(!std::is_move_constructible_v<Document> && !std::is_move_assignable_v<Document>);

std::string dump(const Document& d) {
    std::string out;
    for (std::size_t i = 0; i < d.entry_count(); ++i) {
        switch (d.entry_kind(i)) {
        case EntryKind::Group: out += "G<"; break;
        case EntryKind::Comment: out += "C<"; break;
        case EntryKind::Key: out += "K<"; break;
        }
        out.append(d.entry_name(i));
        if (d.entry_kind(i) == EntryKind::Key) out.append("|").append(d.entry_value(i));
        out += ">";
    }
    return out;
}

// A hand-edited settings file: mixed spacing, comments, a group, a duplicate
// key, blank lines, mixed line ends. Three writes, then the exact new bytes.
TEST(PrefsDocument, HandEditedFileIsParsedChangedAndRewrittenExactly) {
    Document d = loaded(
        "; settings\r\n"
        ";no space\n"
        "\r\n"
        "   \t \r\n"
        "window_x=12\r\n"
        "  \tWindow_Y \t= \t 34 \t\r\n"
        "paletten = c:\\pal\\ = odd ; not a comment [x]\r"
        "window_x = 99\n"
        "=lonely\n"
        "bare key\n"
        "[Other] trailing\r\n"
        "only_below = 1\r\n"
        "[open group\n"
        "last = \t");
    EXPECT_EQ(dump(d),
              "C<settings>C<no space>K<window_x|12>K<Window_Y|34 \t>"
              "K<paletten|c:\\pal\\ = odd ; not a comment [x]>K<window_x|99>K<|lonely>K<bare key|>"
              "G<Other>K<only_below|1>G<open group>K<last|>");

    // Lookups ignore case, take the first duplicate, stop at the first group.
    EXPECT_EQ(d.read_int("WINDOW_X"), 12);
    EXPECT_EQ(d.read_string("window_y"), "34");
    EXPECT_EQ(d.read_string("Paletten"), "c:\\pal\\ = odd ; not a comment [x]");
    EXPECT_EQ(d.read_string("bare key"), "");
    EXPECT_EQ(d.read_string(""), "lonely");
    EXPECT_FALSE(d.read_string("only_below"));
    EXPECT_FALSE(d.read_string("bare"));
    EXPECT_FALSE(d.read_int("last"));

    d.write("Window_X", "7");          // first duplicate changes, spelling follows the write
    d.write("only_below", "2");        // new: before the first group
    d.write("Favorite1", "blue.pal");  // new: after the previous new key
    EXPECT_EQ(d.serialize(),
              "; settings\r\n"
              "; no space\r\n"
              "Window_X = 7\r\n"
              "Window_Y = 34 \t\r\n"
              "paletten = c:\\pal\\ = odd ; not a comment [x]\r\n"
              "window_x = 99\r\n"
              " = lonely\r\n"
              "bare key = \r\n"
              "only_below = 2\r\n"
              "Favorite1 = blue.pal\r\n"
              "[Other]\r\n"
              "only_below = 1\r\n"
              "[open group]\r\n"
              "last = \r\n");
    // What was written reads back the same.
    Document again = loaded(d.serialize());
    EXPECT_EQ(again.serialize(), d.serialize());
    EXPECT_EQ(again.read_string("only_below"), "2");
}

TEST(PrefsDocument, ValuesReadAsStringsAndIntegers) {
    Document d = loaded(
        "n1 = 12abc\n"
        "n2 = abc\n"
        "n3 =   -0042 \n"
        "n4 = 99999999999\n"
        "n5 = -99999999999\n"
        "n6 = +5\n"
        "n7 = 2147483647\n"
        "n8 = -2147483648\n"
        "empty =\n"
        "path = c:\\games\\  \n");
    EXPECT_EQ(d.read_int("n1"), 12);
    EXPECT_EQ(d.read_int("n2"), 0);  // present without digits: 0, not the default
    EXPECT_EQ(d.read_int("n3"), -42);
    EXPECT_EQ(d.read_int("n4"), 2147483647);
    EXPECT_EQ(d.read_int("n5"), -2147483647 - 1);
    EXPECT_EQ(d.read_int("n6"), 5);
    EXPECT_EQ(d.read_int("n7"), 2147483647);
    EXPECT_EQ(d.read_int("n8"), -2147483647 - 1);
    EXPECT_EQ(d.read_int("empty"), 0);
    EXPECT_EQ(d.read_string("empty"), "");  // present and empty: empty, not absent
    EXPECT_EQ(d.read_string("path"), "c:\\games\\");
    EXPECT_FALSE(d.read_int("missing"));
}

// A file saved by an editor with a byte-order mark: keys and values are UTF-8
// in the file and 8-bit for the caller; the mark survives the rewrite.
TEST(PrefsDocument, Utf8FileConvertsBothWaysAndKeepsItsMark) {
    Document d = loaded(
        "\xEF\xBB\xBF"
        "gr\xC3\xB6\xC3\x9F" "e = gro\xC3\x9F\r\n"
        "euro = 5\xE2\x82\xAC\r\n"
        "bad = a\x80z\r\n"
        "badstart = \xC3z\r\n"
        "overlong = \xC0\x80x\r\n"
        "cut = ab\xC3\r\n"
        "ascii = plain  \r\n");
    EXPECT_EQ(d.encoding(), tw::prefs::ENCODING_UTF8);
    EXPECT_EQ(d.read_string("GR\xD6\xDF" "E"), std::nullopt);  // only A..Z fold; \xD6 is not \xF6
    EXPECT_EQ(d.read_string("Gr\xF6\xDF" "e"), "gro\xDF");
    EXPECT_EQ(d.read_string("euro"), "");      // beyond Latin-1: empty
    EXPECT_EQ(d.read_string("bad"), "");       // a lone continuation byte
    EXPECT_EQ(d.read_string("badstart"), "");  // start byte without continuation
    EXPECT_EQ(d.read_string("overlong"), "");
    EXPECT_EQ(d.read_string("cut"), "ab");     // cut short by the end: dropped
    EXPECT_EQ(d.read_string("ascii"), "plain");

    d.write("Gr\xF6\xDF" "e", "\xE4");
    d.write("neu", "c:\\sch\xF6n\\");
    EXPECT_EQ(d.serialize(),
              "\xEF\xBB\xBF\r\n"
              "Gr\xC3\xB6\xC3\x9F" "e = \xC3\xA4\r\n"
              "euro = 5\xE2\x82\xAC\r\n"
              "bad = a\x80z\r\n"
              "badstart = \xC3z\r\n"
              "overlong = \xC0\x80x\r\n"
              "cut = ab\xC3\r\n"
              "ascii = plain  \r\n"
              "neu = c:\\sch\xC3\xB6n\\\r\n");
    EXPECT_EQ(loaded(d.serialize()).read_string("NEU"), "c:\\sch\xF6n\\");

    // A file of only the mark: empty, and still UTF-8 when written.
    Document mark = loaded("\xEF\xBB\xBF");
    EXPECT_EQ(mark.entry_count(), 0u);
    EXPECT_EQ(mark.serialize(), "\xEF\xBB\xBF\r\n");
    // Two bytes of a mark are ordinary text.
    EXPECT_EQ(loaded("\xEF\xBB").encoding(), tw::prefs::ENCODING_8BIT);
}

// Damaged files get a defined result and never read past their end.
TEST(PrefsDocument, DamagedFilesParseWithoutLosingLines) {
    // NUL bytes end a line; the text behind them is still read.
    Document nul = loaded(std::string("a = 1\0b = 2\0\0\0c\0", 16));
    EXPECT_EQ(dump(nul), "K<a|1>K<b|2>K<c|>");
    // No line end at all, and a last line cut inside each kind of entry.
    EXPECT_EQ(dump(loaded("key = value")), "K<key|value>");
    EXPECT_EQ(dump(loaded("[grp")), "G<grp>");
    EXPECT_EQ(dump(loaded(";")), "C<>");
    EXPECT_EQ(dump(loaded("; ")), "C<>");
    EXPECT_EQ(dump(loaded("k =")), "K<k|>");
    EXPECT_EQ(dump(loaded("\r\n\n\r  \t")), "");
    EXPECT_EQ(loaded("").serialize(), "");

    // One line of a megabyte.
    std::string big = "big = " + std::string(1 << 20, 'x');
    Document large = loaded(big);
    ASSERT_EQ(large.read_string("big")->size(), 1u << 20);
    EXPECT_EQ(large.serialize(), big + "\r\n");

    // Binary garbage: every byte value, in a pattern.
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 167 + (i >> 3)) & 0xFF));
    Document g = loaded(garbage);
    std::string once = g.serialize();
    EXPECT_EQ(loaded(once).serialize(), once);
}

// A key no file line holds goes before the first group; in a file that starts
// with a group it becomes the first line, where the next lookup finds it.
TEST(PrefsDocument, NewKeysGoBeforeTheFirstGroup) {
    Document d = loaded("[first]\r\nx = 1\r\n");
    EXPECT_FALSE(d.read_string("x"));
    d.write("x", "2");
    d.write("y", "3");
    EXPECT_EQ(d.serialize(), "x = 2\r\ny = 3\r\n[first]\r\nx = 1\r\n");
    EXPECT_EQ(d.read_string("x"), "2");

    Document empty;
    empty.write("a", "1");
    empty.write("A", "2");  // same key: replaced, spelling follows
    EXPECT_EQ(empty.serialize(), "A = 2\r\n");
    // A longer and then a shorter value.
    empty.write("a", "a much longer value than before");
    empty.write("a", "s");
    EXPECT_EQ(empty.serialize(), "a = s\r\n");
}

}  // namespace
