// BMP and icon header checks: good files are described correctly, and every
// way of pointing outside the block is refused.
#include <gtest/gtest.h>

#include "image/portable/formats.h"
#include "tests/image/samples.h"

using namespace tw::image;
using samples::Bytes;

namespace {

uint32_t get32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
void set32(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes button_bmp() {  // like the program's 80 x 32 button pictures
    std::vector<samples::Rgb> palette = {{0, 49, 74}, {0, 66, 132}, {16, 16, 16}};
    return samples::make_bmp4(80, 32, palette, [](int x, int y) { return (x + y) % 3; });
}

}  // namespace

TEST(BmpHeader, ButtonPictureIsDescribedForTheConversion) {
    const Bytes file = button_bmp();
    ASSERT_EQ(file.size(), 1398u);
    BmpFile bmp;
    ASSERT_TRUE(bmp_parse(file.data(), file.size(), 32767, bmp));
    EXPECT_EQ(bmp.width, 80);
    EXPECT_EQ(bmp.height, 32);
    EXPECT_EQ(bmp.bit_count, 4);
    EXPECT_EQ(bmp.pixels, file.data() + 118);
    EXPECT_EQ(bmp.pixel_bytes, 1280u);
    ASSERT_EQ(bmp.info.size(), 40u + 64u);
    EXPECT_EQ(get32(bmp.info, 0), 40u);
    EXPECT_EQ(get32(bmp.info, 32), 16u);  // colours used
    // The colour table is the file's own.
    EXPECT_TRUE(std::equal(bmp.info.begin() + 40, bmp.info.end(), file.begin() + 54));
}

TEST(BmpHeader, EveryTruncationIsRefused) {
    const Bytes file = button_bmp();
    BmpFile bmp;
    for (std::size_t n = 0; n < file.size(); ++n)
        EXPECT_FALSE(bmp_parse(file.data(), n, 32767, bmp)) << "length " << n;
    EXPECT_FALSE(bmp_parse(nullptr, 100, 32767, bmp));
}

TEST(BmpHeader, InsaneFieldsAreRefused) {
    const Bytes good = button_bmp();
    BmpFile bmp;
    struct Case {
        const char* what;
        std::size_t at;
        uint32_t value;
    } cases[] = {
        {"width 0", 18, 0},
        {"negative width", 18, 0xFFFFFFF0u},
        {"height 0", 22, 0},
        {"width beyond the limit", 18, 40000},
        {"height of INT32_MIN", 22, 0x80000000u},
        {"pixel offset beyond the block", 10, 0x7FFFFFF0u},
        {"pixel offset inside the header", 10, 20},
        {"header size beyond the block", 14, 0xFFFFFFF0u},
        {"header size 30", 14, 30},
        {"embedded JPEG", 30, 4},
        {"two planes", 26, 0x00040002u},
        {"5 bits per pixel", 26, 0x00050001u},
        {"RLE8 on a 4-bit file", 30, 1},
        {"bit fields on a 4-bit file", 30, 3},
    };
    for (const Case& c : cases) {
        Bytes file = good;
        set32(file, c.at, c.value);
        EXPECT_FALSE(bmp_parse(file.data(), file.size(), 32767, bmp)) << c.what;
    }
    // The block must hold all rows, also for a top-down file.
    Bytes top_down = samples::make_bmp4(80, 32, {}, [](int, int) { return 0; }, true);
    EXPECT_TRUE(bmp_parse(top_down.data(), top_down.size(), 32767, bmp));
    EXPECT_EQ(bmp.height, -32);
    EXPECT_FALSE(bmp_parse(top_down.data(), top_down.size() - 1, 32767, bmp));
    // A smaller side limit is honoured.
    EXPECT_FALSE(bmp_parse(good.data(), good.size(), 79, bmp));
}

TEST(BmpHeader, OldCoreHeaderGetsAnInfoHeaderAndQuadColours) {
    // 2 x 1, 1 bit, core header with 3-byte colour entries.
    Bytes f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0,
               12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,
               10, 20, 30, 40, 50, 60,
               0x40, 0, 0, 0};
    BmpFile bmp;
    ASSERT_TRUE(bmp_parse(f.data(), f.size(), 32767, bmp));
    EXPECT_EQ(bmp.width, 2);
    EXPECT_EQ(bmp.height, 1);
    ASSERT_EQ(bmp.info.size(), 48u);
    const Bytes table(bmp.info.begin() + 40, bmp.info.end());
    EXPECT_EQ(table, (Bytes{10, 20, 30, 0, 40, 50, 60, 0}));
}

TEST(BmpHeader, BitFieldMasksFollowTheInfoHeader) {
    Bytes f = samples::make_bmp(4, 2, 24, [](int, int) { return samples::Rgb{1, 2, 3}; });
    // Make it a 16-bit bit-field file: 4 x 2 pixels of 2 bytes, masks 5-6-5.
    BmpFile bmp;
    Bytes g(f.begin(), f.begin() + 54);
    set32(g, 10, 54 + 12);
    g[28] = 16;
    set32(g, 30, 3);
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
        for (int i = 0; i < 4; ++i) g.push_back(static_cast<uint8_t>(m >> (8 * i)));
    g.insert(g.end(), 16, 0xAB);
    ASSERT_TRUE(bmp_parse(g.data(), g.size(), 32767, bmp));
    ASSERT_EQ(bmp.info.size(), 52u);
    EXPECT_EQ(get32(bmp.info, 40), 0xF800u);
    EXPECT_EQ(get32(bmp.info, 48), 0x001Fu);
    EXPECT_FALSE(bmp_parse(g.data(), g.size() - 1, 32767, bmp));
}

TEST(IconDirectory, SameSizeDeeperEntryWinsOtherSizesArePassedOver) {
    using E = samples::IconEntry;
    const Bytes icon = samples::make_icon({E{16, 16, 4, {255, 0, 0}}, E{32, 32, 32, {0, 255, 0}},
                                           E{16, 16, 32, {0, 0, 255}}, E{16, 16, 24, {1, 1, 1}},
                                           E{16, 16, 32, {9, 9, 9}}});
    IconImage img;
    ASSERT_TRUE(icon_choose(icon.data(), icon.size(), img));
    EXPECT_EQ(img.index, 2);  // not the 32 x 32 one, not the later tie
    EXPECT_EQ(img.width, 16);
    EXPECT_EQ(img.height, 16);
    EXPECT_EQ(img.bit_count, 32);
    EXPECT_FALSE(img.png);

    const Bytes single = samples::make_icon({E{32, 32, 8, {1, 2, 3}}});
    ASSERT_TRUE(icon_choose(single.data(), single.size(), img));
    EXPECT_EQ(img.index, 0);
    EXPECT_EQ(img.offset, 22u);
}

TEST(IconDirectory, OffsetsOutsideTheBlockAreRefused) {
    using E = samples::IconEntry;
    const Bytes good = samples::make_icon({E{16, 16, 8, {1, 2, 3}}});
    IconImage img;
    ASSERT_TRUE(icon_choose(good.data(), good.size(), img));
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(icon_choose(good.data(), n, img)) << "length " << n;

    Bytes far = good;
    set32(far, 6 + 12, 0xFFFFFF00u);  // offset
    EXPECT_FALSE(icon_choose(far.data(), far.size(), img));
    Bytes big = good;
    set32(big, 6 + 8, 0xFFFFFFFFu);  // size: offset + size wraps in 32 bits
    EXPECT_FALSE(icon_choose(big.data(), big.size(), img));
    Bytes many = good;
    many[4] = 0xFF;  // 255 entries claimed, the directory runs past the block
    EXPECT_FALSE(icon_choose(many.data(), many.size(), img));
    Bytes small = good;
    set32(small, 22 + 8, 2 * 100);  // a 16 x 100 image claimed in a 16 x 16 one's bytes
    EXPECT_FALSE(icon_choose(small.data(), small.size(), img));
    Bytes zero = good;
    zero[4] = 0;
    EXPECT_FALSE(icon_signature(zero.data(), zero.size()));
}

TEST(IconDirectory, PngImageTakesItsSizeFromTheEntry) {
    Bytes f = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0, 16, 0, 0, 0, 22, 0, 0, 0,
               0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0};
    IconImage img;
    ASSERT_TRUE(icon_choose(f.data(), f.size(), img));
    EXPECT_TRUE(img.png);
    EXPECT_EQ(img.width, 256);
    EXPECT_EQ(img.height, 256);
    EXPECT_EQ(img.size, 16u);
    EXPECT_FALSE(icon_claims_more_than(f.data(), f.size(), 100000000));
}

TEST(BmpHeader, SizeClaimedBeyondTheLimitIsNoticedFromTheFirstBytes) {
    // "BM", file header, then a 40-byte header claiming 20000 x -20000 (top-down).
    Bytes f(26, 0);
    f[0] = 'B';
    f[1] = 'M';
    f[14] = 40;
    f[18] = 0x20, f[19] = 0x4E;                                // width 20000
    f[22] = 0xE0, f[23] = 0xB1, f[24] = 0xFF, f[25] = 0xFF;    // height -20000
    EXPECT_TRUE(bmp_claims_more_than(f.data(), f.size(), 100000000));
    EXPECT_FALSE(bmp_claims_more_than(f.data(), f.size(), 400000000));
    // The old core header: 16-bit sizes.
    Bytes core(26, 0);
    core[0] = 'B';
    core[1] = 'M';
    core[14] = 12;
    core[18] = 0xFF, core[19] = 0xFF, core[20] = 0xFF, core[21] = 0xFF;  // 65535 x 65535
    EXPECT_TRUE(bmp_claims_more_than(core.data(), core.size(), 100000000));
    core[18] = 0x10, core[19] = 0;  // 16 x 65535
    EXPECT_FALSE(bmp_claims_more_than(core.data(), core.size(), 100000000));
    // Too few bytes to tell.
    EXPECT_TRUE(bmp_claims_more_than(f.data(), 25, 400000000));
}

TEST(IconDirectory, PngImageClaimingMoreThanTheLimitIsNoticed) {
    // The PNG's own header (IHDR) claims 20000 x 20000; its entry says 256 x 256.
    Bytes f = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0, 24, 0, 0, 0, 22, 0, 0, 0,
               0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
               0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20};
    EXPECT_TRUE(icon_claims_more_than(f.data(), f.size(), 100000000));
    EXPECT_FALSE(icon_claims_more_than(f.data(), f.size(), 400000000));
    // Cut before the sizes, or an entry pointing outside: nothing to notice.
    EXPECT_FALSE(icon_claims_more_than(f.data(), f.size() - 1, 100000000));
    f[18] = 0xF0;
    EXPECT_FALSE(icon_claims_more_than(f.data(), f.size(), 100000000));
}
