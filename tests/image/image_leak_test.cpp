// No GDI object left behind on any way out of the image objects: every
// creating path (BMP, icon and JPEG, in memory and on disk, with and without
// the DDB flag, fitted) and scaling runs once for each GDI call it makes,
// with that call failing, and afterwards the library's own counts of bitmaps,
// device contexts and icons are back where they were. (Wine's GetGuiResources
// answers 0, so the platform's count could not show a leak.)
#include <gtest/gtest.h>

#include "runtime/win32.h"

#include <array>
#include <functional>
#include <string>

#include "image/image.h"
#include "runtime/resource_count.h"
#include "tests/image/gdi_faults.h"
#include "tests/image/gdi_pixels.h"
#include "tests/image/samples.h"

using namespace samples;

namespace {

using Counts = std::array<long, static_cast<std::size_t>(tw::Resource::Count)>;

Counts held() {
    Counts c{};
    for (std::size_t i = 0; i < c.size(); ++i) c[i] = tw::resources_held(static_cast<tw::Resource>(i));
    return c;
}

std::string describe(const Counts& c) {
    static const char* names[] = {"bitmaps", "DCs", "brushes", "fonts", "icons", "regions", "modules", "item lists"};
    std::string out;
    for (std::size_t i = 0; i < c.size(); ++i) out += std::string(names[i]) + " " + std::to_string(c[i]) + " ";
    return out;
}

ImageSize box(int, int) { return {150, 100}; }

struct ImagePath {
    const char* name;
    std::function<void()> before;  // not counted: what the path starts from
    std::function<void()> run;
};

}  // namespace

TEST_F(ImageObjects, NoGdiObjectIsLeftWhenAnyOfThemCannotBeMade) {
    const Bytes jpeg = quadrant_jpeg(300, 200);
    const Bytes bmp = make_bmp4(80, 32, {{0, 0, 0}, {255, 0, 0}}, [](int x, int) { return x % 2; });
    const Bytes icon = make_icon({IconEntry{32, 32, 32, {10, 20, 30}}});
    const std::string jpg_file = temp_path("leak.jpg"), bmp24 = temp_path("leak24.bmp"),
                      bmp8 = temp_path("leak8.bmp"), ico_file = temp_path("leak.ico");
    write_file(jpg_file, jpeg);
    write_file(bmp24, make_bmp(40, 30, 24, [](int, int) { return Rgb{1, 2, 3}; }));
    write_file(bmp8, make_bmp(40, 30, 8, [](int x, int) { return Rgb{uint8_t(x), 0, 0}; }));
    write_file(ico_file, icon);

    const auto nothing = [] {};
    const ImagePath paths[] = {
        {"catch JPEG", nothing, [&] { image_catch(1, jpeg.data(), jpeg.size()); }},
        {"catch JPEG as DDB", nothing, [&] { image_catch(1, jpeg.data(), jpeg.size(), IMAGE_FLAG_DDB); }},
        {"catch BMP", nothing, [&] { image_catch(1, bmp.data(), bmp.size()); }},
        {"catch BMP as DDB", nothing, [&] { image_catch(1, bmp.data(), bmp.size(), IMAGE_FLAG_DDB); }},
        {"catch icon", nothing, [&] { image_catch(1, icon.data(), icon.size()); }},
        {"load JPEG", nothing, [&] { image_load(1, jpg_file); }},
        {"load JPEG as DDB", nothing, [&] { image_load(1, jpg_file, IMAGE_FLAG_DDB); }},
        {"load 24-bit BMP", nothing, [&] { image_load(1, bmp24); }},
        {"load 8-bit BMP", nothing, [&] { image_load(1, bmp8); }},
        {"load icon", nothing, [&] { image_load(1, ico_file); }},
        {"load JPEG fitted", nothing, [&] { image_load_fit(1, jpg_file, box); }},
        {"load BMP fitted", nothing, [&] { image_load_fit(1, bmp24, box); }},
        {"scale a bitmap", [&] { image_catch(1, jpeg.data(), jpeg.size()); }, [] { image_resize(1, 100, 50, 0); }},
        {"scale a DDB", [&] { image_catch(1, jpeg.data(), jpeg.size(), IMAGE_FLAG_DDB); },
         [] { image_resize(1, 100, 50, 1); }},
        {"scale an icon", [&] { image_catch(1, icon.data(), icon.size()); }, [] { image_resize(1, 16, 16, 0); }},
        {"replace an image", [&] { image_catch(1, bmp.data(), bmp.size()); },
         [&] { image_catch(1, jpeg.data(), jpeg.size()); }},
    };

    gdi_faults::install();
    const Counts base = held();
    long points = 0;
    for (const ImagePath& p : paths) {
        SCOPED_TRACE(p.name);
        p.before();
        gdi_faults::arm(0);
        p.run();
        const std::vector<std::string> names = gdi_faults::call_names();
        image_free_all();
        ASSERT_EQ(held(), base) << describe(held());
        ASSERT_FALSE(names.empty());
        for (long k = 1; k <= static_cast<long>(names.size()); ++k) {
            SCOPED_TRACE("call " + std::to_string(k) + " " + names[k - 1] + " fails");
            p.before();
            gdi_faults::arm(k);
            p.run();
            gdi_faults::arm(0);
            image_free_all();
            EXPECT_EQ(held(), base) << describe(held());
            ++points;
        }
    }
    gdi_faults::remove();
    std::printf("%ld failing GDI calls, no object left behind\n", points);
    for (const auto& f : {jpg_file, bmp24, bmp8, ico_file}) DeleteFileA(f.c_str());
}
