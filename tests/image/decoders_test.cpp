// The decoder registry: order of asking, a reader rewound for each decoder,
// and the decode object that owns one image to its end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image.h"
#include "image/jpeg.h"
#include "image/portable/decoders.h"
#include "tests/image/decoded.h"

using namespace tw::image;

namespace {

// Fake decoders: each recognises data starting with its own letter.
std::vector<std::string> g_calls;

template <char Letter, int Kind>
struct Fake : ImageDecode {
    ~Fake() override { g_calls.push_back(std::string(1, Letter) + "~"); }
    int kind() const override { return Kind; }
    int width() const override { return 7; }
    int height() const override { return 3; }
    bool decode(unsigned char* pixels, std::size_t stride) override {
        g_calls.push_back(std::string(1, Letter) + "d" + std::to_string(stride));
        pixels[0] = Letter;
        return true;
    }
    static std::unique_ptr<ImageDecode> open(const ImageInput& in, ImageFitRule, ImageSize*) {
        g_calls.push_back(std::string(1, Letter) + (in.memory ? "m" : "r"));
        unsigned char first = 0;
        if (in.memory) {
            if (in.length < 1) return nullptr;
            first = in.memory[0];
        } else if (in.reader.read(in.reader.context, &first, 1) != 1) {  // moves the reader on
            return nullptr;
        }
        if (first != Letter) return nullptr;
        return std::make_unique<Fake>();
    }
    static ImageDecoder record() { return {open}; }
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

    {
        std::unique_ptr<ImageDecode> d = decoder_open(ImageInput::block("b...", 4));
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(g_calls, (std::vector<std::string>{"am", "bm"}));
        EXPECT_EQ(d->kind(), 2);
        EXPECT_EQ(d->width(), 7);
        unsigned char px[8] = {};
        EXPECT_TRUE(d->decode(px, 8));
        EXPECT_EQ(px[0], 'b');
        EXPECT_EQ(g_calls.back(), "bd8");
    }
    EXPECT_EQ(g_calls.back(), "b~");  // the image goes with its decode

    g_calls.clear();
    EXPECT_EQ(decoder_open(ImageInput::block("zzz", 3)), nullptr);
    EXPECT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(decoder_open(ImageInput::block(nullptr, 3)), nullptr);
}

TEST_F(DecoderRegistry, AReaderIsRewoundBeforeEachDecoder) {
    decoder_register(Fake<'a', 1>::record());
    decoder_register(Fake<'b', 1>::record());
    const samples::Bytes bx = {'b', 'x'}, z = {'z'};
    samples::BytesReader r{&bx};
    EXPECT_NE(decoder_open(r.input()), nullptr);  // 'b' read its first byte again
    EXPECT_EQ(g_calls, (std::vector<std::string>{"ar", "br", "b~"}));
    r = samples::BytesReader{&z};
    EXPECT_EQ(decoder_open(r.input()), nullptr);
    EXPECT_EQ(decoder_open(ImageInput::reads(ImageReader{})), nullptr);
}

TEST_F(DecoderRegistry, RoomForAHundredAndCompleteRecordsOnly) {
    EXPECT_EQ(decoder_register(ImageDecoder{}), 0);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(decoder_register(Fake<'a', 1>::record()), 1) << i;
    EXPECT_EQ(decoder_register(Fake<'a', 1>::record()), 0);
    EXPECT_EQ(decoder_count(), 100);
    EXPECT_NE(decoder_open(ImageInput::block("a", 1)), nullptr);
    decoder_registry_reset();
    EXPECT_EQ(decoder_count(), 0);
}

TEST_F(DecoderRegistry, JpegDecoderIsRegisteredOnce) {
    decoder_register(Fake<'a', 1>::record());
    jpeg_decoder_register();
    jpeg_decoder_register();
    EXPECT_EQ(decoder_count(), 2);
    EXPECT_TRUE(decoder_registered(jpeg_open));
    const auto j = samples::make_jpeg(20, 10, [](int, int) { return samples::Rgb{9, 9, 9}; });
    std::unique_ptr<ImageDecode> d = decoder_open(ImageInput::block(j.data(), j.size()));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->kind(), IMAGE_PIXELS_BGR);
    EXPECT_EQ(d->width(), 20);
    EXPECT_EQ(d->height(), 10);
    // Given up undecoded: the sanitizer reports the decoder's image if it stayed.
}
