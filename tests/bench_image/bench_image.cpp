// Memory of the preview: the peak working set of a process that makes one
// preview the way show_preview does (the existence test, then the picture
// fitted into the 300 x 225 box by the image library), above the peak of the
// same process when it only starts the image library. Each child reports its
// own peak at its end. For comparison, the full-size load followed by scaling
// that previews used before. Figures are medians of several children.
//
//   bench_image [runs]              measure and print the figures (default 5)
//   bench_image --preview FILE      (child) make one preview, print its peak
//   bench_image --full FILE         (child) load at full size and scale, print its peak
//   bench_image --idle              (child) start the image library only, print its peak
#include "runtime/win32.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/portable/preview.h"
#include "image/image.h"
#include "image/jpeg.h"
#include "tests/bench_common/bench.h"

namespace {

double peak_mb() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

ImageSize preview_fit(int width, int height) {
    const tintwerk::PreviewSize size = tintwerk::preview_size(width, height);
    return {size.width, size.height};
}

void start_library() {
    decoder_registry_reset();
    image_library_init();
    jpeg_decoder_register();
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (screen) DeleteDC(screen);
}

int child(const std::string& mode, const char* path) {
    start_library();
    const double t0 = bench::now_ms();
    if (mode == "--preview") {
        HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return 2;
        CloseHandle(f);
        if (!image_load_fit(200, path, preview_fit)) return 3;
    } else if (mode == "--full") {
        if (!image_load(200, path)) return 3;
        const tintwerk::PreviewSize size = tintwerk::preview_size(image_width(200), image_height(200));
        if (size.scale && !image_resize(200, size.width, size.height, 0)) return 4;
    }
    std::printf("%.2f %.1f %dx%d\n", peak_mb(), bench::now_ms() - t0, image_width(200), image_height(200));
    image_free_all();
    return 0;
}

struct Child {
    double peak = 0, ms = 0;
    bool ok = false;
};

Child measure(const std::string& command) {
    const bench::Run r = bench::run(command);
    Child c;
    c.ok = r.ok && std::sscanf(r.output.c_str(), "%lf %lf", &c.peak, &c.ms) == 2;
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--idle") return child(argv[1], nullptr);
    if (argc >= 3) return child(argv[1], argv[2]);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string photo = std::string(temp) + "bench_image_4000x3000.jpg";
    const std::string hostile = std::string(temp) + "bench_image_hostile.jpg";
    if (!bench::write_photo_jpeg(photo, 4000, 3000) || !bench::write_claiming_jpeg(hostile, 30000, 30000)) {
        std::printf("bench_image: cannot write the pictures\n");
        return 1;
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string me = bench::quoted(self);

    std::vector<double> idle, preview, full, hostile_peak, preview_ms, hostile_ms;
    for (int i = 0; i < runs; ++i) {
        const Child a = measure(me + " --idle");
        const Child b = measure(me + " --preview " + bench::quoted(photo));
        const Child c = measure(me + " --preview " + bench::quoted(hostile));
        const Child d = measure(me + " --full " + bench::quoted(photo));
        if (!a.ok || !b.ok || !c.ok || !d.ok) {
            std::printf("bench_image: a child failed (idle %d, preview %d, hostile %d, full %d)\n", a.ok, b.ok, c.ok,
                        d.ok);
            return 1;
        }
        idle.push_back(a.peak);
        preview.push_back(b.peak);
        hostile_peak.push_back(c.peak);
        full.push_back(d.peak);
        preview_ms.push_back(b.ms);
        hostile_ms.push_back(c.ms);
    }
    WIN32_FILE_ATTRIBUTE_DATA fa = {};
    GetFileAttributesExA(photo.c_str(), GetFileExInfoStandard, &fa);
    const double base = bench::median(idle);
    std::printf("bench_image: peak working sets, medians of %d children each\n", runs);
    std::printf("  idle (image library started)                      %7.1f MB\n", base);
    std::printf("  preview of a 4000x3000 JPEG (%.1f MB file)          %7.1f MB, %.1f ms in the child\n",
                static_cast<double>(fa.nFileSizeLow) / (1024.0 * 1024.0), bench::median(preview),
                bench::median(preview_ms));
    std::printf("  preview of a file claiming 30000x30000             %7.1f MB, %.1f ms in the child\n",
                bench::median(hostile_peak), bench::median(hostile_ms));
    std::printf("  full-size load and scaling of the 4000x3000 JPEG  %7.1f MB (for comparison)\n",
                bench::median(full));
    const std::vector<bench::Figure> figures = {
        {"preview_peak_mb", bench::median(preview) - base, "<=", 8},
        {"hostile_30000_peak_mb", bench::median(hostile_peak) - base, "<=", 64},
    };
    DeleteFileA(photo.c_str());
    DeleteFileA(hostile.c_str());
    bench::print_figures(figures);
    return 0;
}
