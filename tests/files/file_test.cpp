// Sequential files on real files in a temporary folder.
#include <gtest/gtest.h>

#include "files/file.h"
#include "runtime/win32.h"
#include "tests/common/divergence.h"
#include "tests/files/temp_folder.h"

namespace {

using tw_test::read_bytes;
using tw_test::TempFolder;
using tw_test::write_bytes;

std::vector<std::string> read_lines(const std::string& path) {
    std::vector<std::string> lines;
    if (!file_open_read(1, path)) return {"<not opened>"};
    while (!file_eof(1)) lines.push_back(file_read_line(1));
    file_close(1);
    return lines;
}

class Files : public ::testing::Test {
protected:
    void SetUp() override { file_library_init(); }
    void TearDown() override { file_free_all(); }
    TempFolder tmp;
};

TEST_F(Files, OpeningMissingFiles) {
    std::string path = tmp / "missing.ini";
    EXPECT_EQ(file_open_read(1, path), 0);
    EXPECT_EQ(file_is_open(1), 0);
    EXPECT_FALSE(tw_test::exists(path)) << "reading must create nothing";

    EXPECT_EQ(file_open(1, path), 1);
    EXPECT_EQ(file_is_open(1), 1);
    EXPECT_EQ(file_eof(1), 1);
    EXPECT_EQ(file_close(1), 1);
    EXPECT_TRUE(tw_test::exists(path));
    EXPECT_EQ(read_bytes(path), "");

    // An existing file opens for reading; a failed open under the same number
    // closes it and leaves the number free.
    EXPECT_EQ(file_open_read(1, path), 1);
    EXPECT_EQ(file_open_read(1, tmp / "nope"), 0);
    EXPECT_EQ(file_is_open(1), 0);
}

TEST_F(Files, ReadsLinesOfMixedEndsLongLinesAndZeroBytes) {
    std::string longest(5000, 'L');
    std::string text = "[Grafik]\r\nPaletteFile = qz.pal\n\rSpiel=1\r" + longest + "\r\n" +
                       std::string("a\0b", 3) + "\r\nletzte";
    write_bytes(tmp / "qz.ini", text);
    std::vector<std::string> expected = {"[Grafik]", "PaletteFile = qz.pal", "", "Spiel=1", longest, "a", "b",
                                         "letzte"};
    EXPECT_EQ(read_lines(tmp / "qz.ini"), expected);

    // A final line end gives no extra empty line, whichever kind it is.
    for (const char* end : {"\r\n", "\n", "\r"}) {
        write_bytes(tmp / "end.ini", std::string("x") + end + "y" + end);
        EXPECT_EQ(read_lines(tmp / "end.ini"), (std::vector<std::string>{"x", "y"})) << int(end[0]);
    }
}

TEST_F(Files, CreateWritesLinesAndEmptiesAnExistingFile) {
    std::string path = tmp / "qz.ini";
    write_bytes(path, std::string(9000, 'o'));
    ASSERT_EQ(file_create(1, path), 1);
    EXPECT_EQ(file_write_line(1, "PaletteFile = c:\\paletten\\Gr\xFCn.pal"), 36);
    EXPECT_EQ(file_write_line(1, ""), 2);
    EXPECT_EQ(file_write_line(1, nullptr), 2);
    file_close(1);
    EXPECT_EQ(read_bytes(path), "PaletteFile = c:\\paletten\\Gr\xFCn.pal\r\n\r\n\r\n");
}

TEST_F(Files, PatchingBytesAtFixedOffsetsKeepsTheRest) {
    std::string path = tmp / "options.set";
    std::string original;
    for (int k = 0; k < 20; ++k) original.push_back(static_cast<char>(0x40 + k));
    write_bytes(path, original);
    ASSERT_EQ(file_open(1, path), 1);
    EXPECT_EQ(file_seek(1, 4), 4u);
    EXPECT_EQ(file_write_byte(1, 0x105), 1);  // low 8 bits only
    EXPECT_EQ(file_seek(1, 13), 13u);
    EXPECT_EQ(file_write_byte(1, -1), 1);
    file_close(1);
    std::string expected = original;
    expected[4] = 0x05;
    expected[13] = static_cast<char>(0xFF);
    EXPECT_EQ(read_bytes(path), expected);

    // A 64-bit position: the result is its low 32 bits; nothing is written.
    ASSERT_EQ(file_open(1, path), 1);
    EXPECT_EQ(file_seek(1, (int64_t(1) << 32) + 7), 7u);
    EXPECT_EQ(file_pos(1), (int64_t(1) << 32) + 7);
    EXPECT_EQ(file_eof(1), 1);
    EXPECT_EQ(file_seek(1, -5), 0u);
    // Beyond the end: a write there extends the file.
    EXPECT_EQ(file_seek(1, 24), 24u);
    file_write_byte(1, 'Z');
    file_close(1);
    EXPECT_EQ(read_bytes(path), expected + std::string(4, '\0') + "Z");
}

TEST_F(Files, ReadThenWriteAtTheBufferBoundary) {
    std::string path = tmp / "big.txt";
    std::string first(4095, 'a');
    std::string text = first + "\n" + std::string(6000, 'b');
    write_bytes(path, text);
    ASSERT_EQ(file_open(1, path), 1);
    EXPECT_EQ(file_read_line(1), first);
    EXPECT_EQ(file_pos(1), 4096);
    // The buffer holds read-ahead now: the write must land at 4096, not behind it.
    EXPECT_EQ(file_write_line(1, "XY"), 4);
    EXPECT_EQ(file_pos(1), 4100);
    EXPECT_EQ(file_read_byte(1), 'b');
    EXPECT_EQ(file_size(1), 10096);
    file_close(1);
    std::string expected = text;
    expected.replace(4096, 4, "XY\r\n");
    EXPECT_EQ(read_bytes(path), expected);
}

TEST_F(Files, PendingBytesAreWrittenWhenTheNumberIsReusedOrAtTheEnd) {
    ASSERT_EQ(file_create(1, tmp / "a.txt"), 1);
    file_write_line(1, "eins");
    // Opening another file under number 1 closes a.txt with its pending bytes.
    ASSERT_EQ(file_create(1, tmp / "b.txt"), 1);
    EXPECT_EQ(read_bytes(tmp / "a.txt"), "eins\r\n");
    file_write_line(1, "zwei");
    ASSERT_EQ(file_create(7, tmp / "c.txt"), 1);
    file_write_line(7, "drei");
    ASSERT_EQ(file_create(40, tmp / "d.txt"), 1);  // grows the table
    file_write_byte(40, 'v');
    intptr_t dynamic = file_create(-1, tmp / "e.txt");
    ASSERT_NE(dynamic, 0);
    EXPECT_EQ(file_write_line(dynamic, "f\xFCnf"), 6);
    file_free_all();
    EXPECT_EQ(read_bytes(tmp / "b.txt"), "zwei\r\n");
    EXPECT_EQ(read_bytes(tmp / "c.txt"), "drei\r\n");
    EXPECT_EQ(read_bytes(tmp / "d.txt"), "v");
    EXPECT_EQ(read_bytes(tmp / "e.txt"), "f\xFCnf\r\n");
    EXPECT_EQ(file_is_open(1) + file_is_open(7) + file_is_open(40) + file_is_open(dynamic), 0);

    // Number 0 is a number like any other: opening it says so.
    EXPECT_NE(file_create(0, tmp / "zero.txt"), 0);
    EXPECT_EQ(file_is_open(0), 1);
    EXPECT_EQ(file_close(0), 1);
    EXPECT_NE(file_open_read(0, tmp / "zero.txt"), 0);
    EXPECT_NE(file_open(0, tmp / "zero.txt"), 0);
    EXPECT_EQ(file_close(0), 1);
    EXPECT_EQ(file_close(0), 0) << "nothing open any more";
}

TEST_F(Files, CreateOnReadOnlyAndHiddenFiles) {
    std::string ro = tmp / "ro.ini";
    write_bytes(ro, "keep");
    SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY);
    // Refused, and the file keeps its content (a Wine running as root opens
    // it and empties it).
    using tw_test::divergence::read_only_writable;
    EXPECT_UNLESS(read_only_writable, file_create(1, ro) == 0);
    EXPECT_UNLESS(read_only_writable, file_is_open(1) == 0);
    file_close(1);
    SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ_UNLESS(read_only_writable, read_bytes(ro), "keep");

    // Windows refuses CREATE_ALWAYS with normal attributes on a hidden file;
    // the second try (truncate existing) then empties it. Wine lets the first
    // try succeed. Either way the file is created empty and keeps working.
    std::string hidden = tmp / "hidden.ini";
    write_bytes(hidden, "old content");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(file_create(1, hidden), 1);
    file_write_line(1, "neu");
    file_close(1);
    EXPECT_EQ(read_bytes(hidden), "neu\r\n");
}

TEST_F(Files, OthersMayReadButNotWriteAnOpenFile) {
    std::string path = tmp / "shared.txt";
    ASSERT_EQ(file_open(1, path), 1);
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(Files, BadInputGivesDefinedResults) {
    EXPECT_EQ(file_open_read(1, nullptr), 0);
    EXPECT_EQ(file_open(1, ""), 0);
    EXPECT_EQ(file_create(1, std::string(300, 'x')), 0);
    EXPECT_EQ(file_open(1, tmp.path() + std::string(300, 'y') + ".txt"), 0);
    EXPECT_EQ(file_open(1, std::string("a\0b", 3)), 0);
    EXPECT_EQ(file_open(-7, tmp / "neg.txt"), 0);
    // Numbers with no file: every operation does nothing.
    for (intptr_t n : {intptr_t(1), intptr_t(500), intptr_t(-3)}) {
        EXPECT_EQ(file_is_open(n), 0);
        EXPECT_EQ(file_eof(n), 0);
        EXPECT_EQ(file_read_line(n), "");
        EXPECT_EQ(file_write_line(n, "x"), 0);
        EXPECT_EQ(file_write_byte(n, 1), 0);
        EXPECT_EQ(file_seek(n, 3), 0u);
        EXPECT_EQ(file_read_byte(n), -1);
        EXPECT_EQ(file_close(n), 0);
    }
    ASSERT_EQ(file_open(1, tmp / "null.txt"), 1);
    EXPECT_EQ(file_write_data(1, nullptr, 10), 0);
    EXPECT_EQ(file_read_data(1, nullptr, 10), 0);
}

}  // namespace
