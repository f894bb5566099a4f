// The decoder registry: order of asking, the current decoder, the file opened
// for a search and what happens to it on every way out.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/jpeg.h"
#include "image/portable/decoders.h"
#include "tests/image/samples.h"

using namespace tw::image;

namespace {

// Fake decoders: each recognises blocks starting with its own letter.
std::vector<std::string> g_calls;
long g_file_position = -1;

template <char Letter, int Kind>
struct Fake {
    static int check(std::FILE* file, const void* memory, std::size_t length, const char* name) {
        g_calls.push_back(std::string(1, Letter) + (file ? "f" : "m"));
        char first = 0;
        if (file) {
            g_file_position = std::ftell(file);
            if (std::fread(&first, 1, 1, file) != 1) return 0;  // moves the file on
            EXPECT_NE(name, nullptr);
        } else {
            if (length < 1) return 0;
            first = *static_cast<const char*>(memory);
        }
        return first == Letter ? Kind : 0;
    }
    static int decode(unsigned char* pixels, std::size_t stride, int reserved) {
        g_calls.push_back(std::string(1, Letter) + "d" + std::to_string(stride) + "," + std::to_string(reserved));
        pixels[0] = Letter;
        return 1;
    }
    static int width() { return 7; }
    static int height() { return 3; }
    static void release() { g_calls.push_back(std::string(1, Letter) + "r"); }
    static ImageDecoder record() { return {check, decode, width, height, release}; }
};

class DecoderRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        decoder_registry_reset();
        g_calls.clear();
    }
    void TearDown() override { decoder_registry_reset(); }
};

}  // namespace

TEST_F(DecoderRegistry, EarlierDecodersAreAskedFirstAndTheWinnerDecodes) {
    ASSERT_EQ(decoder_register(Fake<'a', 1>::record()), 1);
    ASSERT_EQ(decoder_register(Fake<'b', 2>::record()), 1);
    ASSERT_EQ(decoder_register(Fake<'b', 1>::record()), 1);  // never reached for 'b'
    EXPECT_EQ(decoder_count(), 3);

    EXPECT_EQ(decoder_find_memory("b...", 4), 2);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"am", "bm"}));
    EXPECT_EQ(decoder_current_width(), 7);
    unsigned char px[8] = {};
    EXPECT_EQ(decoder_decode_current(px, 8), 1);
    EXPECT_EQ(px[0], 'b');
    EXPECT_EQ(g_calls.back(), "bd8,0");
    // Once decoded there is no current decoder any more.
    EXPECT_EQ(decoder_current_width(), 0);
    EXPECT_EQ(decoder_decode_current(px, 8), 0);

    g_calls.clear();
    EXPECT_EQ(decoder_find_memory("zzz", 3), 0);
    EXPECT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(decoder_find_memory(nullptr, 3), 0);
}

TEST_F(DecoderRegistry, FileIsRewoundForEachDecoderAndClosedOnEveryWayOut) {
    decoder_register(Fake<'a', 1>::record());
    decoder_register(Fake<'b', 1>::record());
    const std::string b_file = ::testing::TempDir() + "registry_b.bin";
    const std::string z_file = ::testing::TempDir() + "registry_z.bin";
    samples::write_file(b_file, {'b', 'x'});
    samples::write_file(z_file, {'z'});

    EXPECT_EQ(decoder_find_file(b_file.c_str()), 1);
    EXPECT_EQ(g_file_position, 0);  // rewound after the first decoder read a byte
    EXPECT_TRUE(decoder_file_open());
    unsigned char px[4] = {};
    decoder_decode_current(px, 4);
    EXPECT_FALSE(decoder_file_open());

    // Recognised, then given up because no bitmap could be made for it.
    g_calls.clear();
    EXPECT_EQ(decoder_find_file(b_file.c_str()), 1);
    decoder_abandon_current();
    EXPECT_EQ(g_calls.back(), "br");
    EXPECT_FALSE(decoder_file_open());

    // Not recognised: the file is closed at once.
    EXPECT_EQ(decoder_find_file(z_file.c_str()), 0);
    EXPECT_FALSE(decoder_file_open());
    EXPECT_EQ(decoder_find_file((z_file + ".missing").c_str()), 0);
    EXPECT_EQ(decoder_find_file(nullptr), 0);

    // A new search gives up an image left open by the one before.
    g_calls.clear();
    EXPECT_EQ(decoder_find_file(b_file.c_str()), 1);
    EXPECT_EQ(decoder_find_memory("a", 1), 1);
    EXPECT_EQ(g_calls[2], "br");
    EXPECT_FALSE(decoder_file_open());
    decoder_abandon_current();
    std::remove(b_file.c_str());
    std::remove(z_file.c_str());
}

TEST_F(DecoderRegistry, RoomForAHundredAndCompleteRecordsOnly) {
    ImageDecoder incomplete = Fake<'a', 1>::record();
    incomplete.decode = nullptr;
    EXPECT_EQ(decoder_register(incomplete), 0);
    ImageDecoder no_release = Fake<'a', 1>::record();
    no_release.release = nullptr;  // allowed: nothing to give up
    for (int i = 0; i < 100; ++i) ASSERT_EQ(decoder_register(no_release), 1) << i;
    EXPECT_EQ(decoder_register(no_release), 0);
    EXPECT_EQ(decoder_count(), 100);
    EXPECT_EQ(decoder_find_memory("a", 1), 1);
    decoder_abandon_current();  // no release operation to call
    decoder_registry_reset();
    EXPECT_EQ(decoder_count(), 0);
}

TEST_F(DecoderRegistry, JpegDecoderIsRegisteredOnce) {
    decoder_register(Fake<'a', 1>::record());
    jpeg_decoder_register();
    jpeg_decoder_register();
    EXPECT_EQ(decoder_count(), 2);
    EXPECT_TRUE(decoder_registered(jpeg_check));
    const auto j = samples::make_jpeg(20, 10, [](int, int) { return samples::Rgb{9, 9, 9}; });
    EXPECT_EQ(decoder_find_memory(j.data(), j.size()), IMAGE_PIXELS_BGR);
    EXPECT_EQ(decoder_current_width(), 20);
    EXPECT_EQ(decoder_current_height(), 10);
    decoder_abandon_current();  // the sanitizer reports the decoder's image if it stayed
}
