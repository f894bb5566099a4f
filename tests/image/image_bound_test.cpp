// A tiny picture that claims 30000 x 30000 pixels, made for the 300 x 225
// preview box: answered within seconds, and the process's own peak working
// set shows what it cost. A program of its own, so that no other test's
// allocations set the peak.
#include <gtest/gtest.h>

#include "runtime/win32.h"

#include <psapi.h>

#include <chrono>
#include <string>

#include "image/image.h"
#include "tests/image/gdi_pixels.h"
#include "tests/image/samples.h"

using namespace samples;

namespace {

double peak_working_set_mb() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) return -1;
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

ImageSize preview_box(int, int) { return {300, 225}; }

}  // namespace

TEST_F(ImageObjects, HostileClaimIsAnsweredInSecondsWithBoundedMemory) {
    samples::JpegOptions progressive;
    progressive.progressive = true;
    const std::string baseline = temp_path("bound.jpg"), multi_scan = temp_path("bound_progressive.jpg");
    write_file(baseline, claiming(quadrant_jpeg(16, 16), 30000, 30000));
    write_file(multi_scan, claiming(make_jpeg(16, 16, [](int, int) { return Rgb{9, 9, 9}; }, progressive), 30000,
                                    30000));
    const double before = peak_working_set_mb();
    ASSERT_GT(before, 0) << "no memory counters";

    const auto start = std::chrono::steady_clock::now();
    ASSERT_NE(image_load_fit(200, baseline, preview_box), 0);
    EXPECT_EQ(image_width(200), 300);
    // Progressive: at 1/8 its first DC scan is shown as it comes in, from a
    // few rows of coefficients instead of the gigabytes of all of them.
    ASSERT_NE(image_load_fit(201, multi_scan, preview_box), 0);
    EXPECT_EQ(image_height(201), 225);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double grown = peak_working_set_mb() - before;
    std::printf("hostile 30000 x 30000: %.2f s, peak working set %.1f MB above the start\n", seconds, grown);
    EXPECT_LT(seconds, 5.0);
    // Rows of 3750 pixels and a few rows of their coefficients; nothing near
    // the 2.6 GB the full size would take.
    EXPECT_LT(grown, 64.0);
    DeleteFileA(baseline.c_str());
    DeleteFileA(multi_scan.c_str());
}
