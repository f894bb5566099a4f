// The buffered file and its line reader, on a memory file, for several buffer
// sizes (including none) so that every buffer boundary is crossed.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "files/portable/buffered_file.h"
#include "text/text.h"
#include "tests/files/file_model.h"

namespace {

using Lines = std::vector<std::string>;

Lines read_all_lines(const std::string& content, std::size_t capacity) {
    tw::MemoryFileBackend backend(content);
    tw::BufferedFile file(backend, capacity);
    Lines lines;
    while (!file.eof()) {
        lines.push_back(file.read_line());
        if (lines.size() > content.size() + 1) break;  // no progress: stop, the check fails
    }
    return lines;
}

const std::size_t kCapacities[] = {4096, 1, 2, 3, 7, 0};

TEST(LineReader, LineEndsOfEveryKindReadAsTheSameLines) {
    const Lines expected = {"PaletteFile = qz.pal", "", "Laps=5", "x"};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string text = expected[0] + end + expected[1] + end + expected[2] + end + expected[3] + end;
        for (std::size_t cap : kCapacities) {
            EXPECT_EQ(read_all_lines(text, cap), expected) << "capacity " << cap;
            // Without the final line end the last line is still whole.
            EXPECT_EQ(read_all_lines(text.substr(0, text.size() - std::strlen(end)), cap), expected);
        }
    }
}

TEST(LineReader, MixedEndsZeroBytesAndLfCr) {
    // LF CR ends a line and leaves the CR to end an empty one; a zero byte
    // ends a line too; CR LF CR LF is two lines.
    std::string text("a\r\nb\nc\rd\n\re");
    text += std::string("\0f\r\n\r\n", 6);
    const Lines expected = {"a", "b", "c", "d", "", "e", "f", ""};
    for (std::size_t cap : kCapacities) {
        EXPECT_EQ(read_all_lines(text, cap), expected) << "capacity " << cap;
        EXPECT_EQ(text_lines(text), expected);
    }
    EXPECT_EQ(read_all_lines("", 4096), Lines{});
    EXPECT_EQ(read_all_lines("\r", 4096), Lines{""});
    EXPECT_EQ(read_all_lines(std::string("\0", 1), 4096), Lines{""});
}

TEST(LineReader, CrLfSplitAcrossTheBufferBoundary) {
    // The CR is the last byte of the first 4096-byte fill, the LF the first of the next.
    std::string first(4095, 'a');
    std::string text = first + "\r\nsecond\r";
    EXPECT_EQ(read_all_lines(text, 4096), (Lines{first, "second"}));
    // A lone CR at the boundary puts back the first byte of the next fill.
    text = first + "\rsecond";
    EXPECT_EQ(read_all_lines(text, 4096), (Lines{first, "second"}));
}

TEST(LineReader, LongLinesAreReadWholeWithFullBufferReads) {
    std::string longest(10000, 'x');
    for (std::size_t k = 0; k < longest.size(); ++k) longest[k] = static_cast<char>('a' + k % 26);
    std::string text = longest + "\r\n" + std::string(4096, 'y') + "\n" + "end";
    tw::MemoryFileBackend backend(text);
    tw::BufferedFile file(backend);
    EXPECT_EQ(file.read_line(), longest);
    // The 10002 bytes of the first line and its end came in three reads of 4096.
    EXPECT_EQ(backend.read_calls, 3u);
    EXPECT_EQ(file.read_line(), std::string(4096, 'y'));
    EXPECT_EQ(file.read_line(), "end");
    EXPECT_TRUE(file.eof());
    EXPECT_EQ(file.read_line(), "");
}

TEST(BufferedFile, WritingAfterReadingStartsAtTheLogicalPosition) {
    std::string text = "line one\r\nline two\r\nline three\r\n";
    for (std::size_t cap : kCapacities) {
        tw::MemoryFileBackend backend(text);
        {
            tw::BufferedFile file(backend, cap);
            EXPECT_EQ(file.read_line(), "line one");
            EXPECT_EQ(file.position(), 10);
            EXPECT_EQ(file.write("LINE", 4), 4u);
            EXPECT_EQ(file.position(), 14);
            // Reading again picks up right behind the written bytes.
            EXPECT_EQ(file.read_line(), " two");
            EXPECT_EQ(file.position(), 20);
        }
        EXPECT_EQ(backend.content(), "line one\r\nLINE two\r\nline three\r\n") << "capacity " << cap;
    }
}

TEST(BufferedFile, PatchingTwoBytesKeepsEverythingElse) {
    std::string original(64, '\0');
    for (std::size_t k = 0; k < original.size(); ++k) original[k] = static_cast<char>(k * 3);
    for (std::size_t cap : kCapacities) {
        tw::MemoryFileBackend backend(original);
        tw::BufferedFile file(backend, cap);
        ASSERT_TRUE(file.seek(4));
        unsigned char a = 0xAB, b = 0x00;
        file.write(&a, 1);
        ASSERT_TRUE(file.seek(13));
        file.write(&b, 1);
        file.flush();
        std::string expected = original;
        expected[4] = static_cast<char>(0xAB);
        expected[13] = 0;
        EXPECT_EQ(backend.content(), expected) << "capacity " << cap;
    }
}

TEST(BufferedFile, SeekBeyondTheEndExtendsOnWriteAndNegativeIsRefused) {
    tw::MemoryFileBackend backend("abc");
    tw::BufferedFile file(backend);
    EXPECT_FALSE(file.seek(-1));
    EXPECT_EQ(file.position(), 0);
    ASSERT_TRUE(file.seek(10));
    EXPECT_TRUE(file.eof());
    EXPECT_EQ(file.size(), 3);
    file.write("Z", 1);
    EXPECT_EQ(file.size(), 11);  // pending bytes count
    EXPECT_EQ(file.position(), 11);
    file.flush();
    EXPECT_EQ(backend.content(), std::string("abc\0\0\0\0\0\0\0Z", 11));
}

TEST(BufferedFile, WritesAreCollectedAndLargeOnesGoStraightThrough) {
    tw::MemoryFileBackend backend;
    tw::BufferedFile file(backend);
    for (int k = 0; k < 1000; ++k) file.write_line("0123456789");  // 12000 bytes
    EXPECT_LE(backend.write_calls, 3u);
    std::string big(5000, 'q');
    std::size_t before = backend.write_calls;
    EXPECT_EQ(file.write(big.data(), big.size()), big.size());
    EXPECT_EQ(backend.write_calls, before + 2);  // pending bytes, then the large block
    // eof after writing sees the end (and writes the pending bytes first).
    EXPECT_TRUE(file.eof());
    EXPECT_EQ(backend.size(), 17000);
    EXPECT_EQ(file.write_line(""), 2u);
    file.flush();
    EXPECT_EQ(backend.content().substr(16998), "qq\r\n");
}

TEST(BufferedFile, AgreesWithAPlainModelOnRandomOperations) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> ops(rng() % 200);
        for (auto& op : ops) op = static_cast<uint8_t>(rng());
        std::string initial(rng() % 9000, '\0');
        for (auto& c : initial) c = "ab\r\n\0x"[rng() % 6];
        for (std::size_t cap : {std::size_t(4096), std::size_t(5), std::size_t(0)}) {
            std::string failure = tw_test::play(initial, ops.data(), ops.size(), cap);
            ASSERT_EQ(failure, "") << "round " << round << " capacity " << cap;
        }
    }
}

}  // namespace

namespace {

// A file that takes only `room` more bytes, then refuses (a disk filling up).
class FillingBackend : public tw::MemoryFileBackend {
public:
    std::size_t room = 0;
    std::size_t write(const void* data, std::size_t size) override {
        const std::size_t n = std::min(size, room);
        room -= n;
        return n ? tw::MemoryFileBackend::write(data, n) : 0;
    }
};

}  // namespace

TEST(BufferedFile, BytesAPartialWriteLeftAreKeptAndTheFailureIsReported) {
    FillingBackend disk;
    disk.room = 5;
    tw::BufferedFile f(disk);
    EXPECT_EQ(f.write_line("abcdefgh"), 10u);  // collected in the buffer
    EXPECT_FALSE(f.flush()) << "five of ten bytes written is a failure";
    EXPECT_EQ(disk.content(), "abcde");
    EXPECT_EQ(f.position(), 10) << "the logical position counts the bytes still pending";
    // While they cannot be written, nothing more is taken and nothing is read.
    EXPECT_EQ(f.write_line("x"), 0u);
    EXPECT_FALSE(f.seek(0));
    EXPECT_EQ(f.read_byte(), -1);
    // Room again: the kept bytes follow in order, nothing lost or doubled.
    disk.room = 100;
    EXPECT_TRUE(f.flush());
    EXPECT_EQ(disk.content(), "abcdefgh\r\n");
    EXPECT_EQ(f.write_line("x"), 3u);
    EXPECT_TRUE(f.flush());
    EXPECT_EQ(disk.content(), "abcdefgh\r\nx\r\n");

    // A write larger than the buffer goes straight through and reports its count.
    FillingBackend small;
    small.room = 5000;
    tw::BufferedFile g(small);
    const std::string big(6000, 'z');
    EXPECT_EQ(g.write(big.data(), big.size()), 5000u);
}
