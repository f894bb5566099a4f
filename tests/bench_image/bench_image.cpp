// Memory of the preview: the peak working set of a process that makes one
// preview the way show_preview does (the existence test, then the picture
// fitted into the 300 x 225 box by the image library), above the peak of the
// same process when it only starts the image library. Each child reports its
// own peak at its end. For comparison, the full-size load followed by scaling
// that previews used before. Figures are medians of several children. The
// same for the photo saved progressive, and for a set of hostile files whose
// slowest preview is taken against the photo's of the same run.
//
//   bench_image [runs]              measure and print the figures (default 5)
//   bench_image --preview FILE      (child) make one preview, print its peak
//   bench_image --full FILE         (child) load at full size and scale, print its peak
//   bench_image --hostile FILE      (child) a preview that may well be refused
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
#include "tests/image/samples.h"

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
    if (mode == "--hostile") {
        image_load_fit(200, path, preview_fit);  // an empty box is an answer too
    } else if (mode == "--preview") {
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

// The hostile files: each small (but one), each claiming far more work than
// its data holds. Written into `dir`; false when one cannot be written.
struct Hostile {
    const char* name;
    std::string path;
};

bool write_hostile(const std::string& dir, std::vector<Hostile>& out) {
    using samples::claiming;
    samples::JpegOptions baseline, progressive, arithmetic, scans;
    progressive.progressive = true;
    arithmetic.arithmetic = true;
    scans.scan_per_coefficient = 2;  // 129 scans before the last DC scan
    auto square = [](int n, const samples::JpegOptions& o) {
        return samples::make_jpeg(n, n, [n](int x, int y) { return samples::quadrant_colour(x, y, n, n); }, o);
    };
    const samples::Bytes small = square(16, baseline);
    // The largest frames the decoder still takes: its frame limits, and a
    // progressive frame just within the memory cap.
    const int side = 32768, arith_side = 11585, prog_side = 4400;
    const struct {
        const char* name;
        samples::Bytes bytes;
    } files[] = {
        {"baseline 32768x32768", claiming(small, side, side)},
        {"arithmetic 11585x11585", claiming(square(16, arithmetic), arith_side, arith_side)},
        {"arithmetic 32768x32768", claiming(square(16, arithmetic), side, side)},
        {"progressive 4400x4400", claiming(square(16, progressive), prog_side, prog_side)},
        {"192 scans over 4400x4400", claiming(square(64, scans), prog_side, prog_side)},
        {"baseline 65500x62528", claiming(small, 65500, 62528)},
        {"progressive 18000x18000", claiming(square(16, progressive), 18000, 18000)},
    };
    for (const auto& f : files) {
        out.push_back({f.name, dir + "bench_hostile_" + std::to_string(out.size()) + ".jpg"});
        samples::write_file(out.back().path, f.bytes);
    }
    // A 640 x 480 photo followed by 1.1 GB (a sparse file: nothing is written).
    out.push_back({"640x480 and 1.1 GB after it", dir + "bench_hostile_padded.jpg"});
    if (!bench::write_photo_jpeg(out.back().path, 640, 480)) return false;
    HANDLE f = CreateFileA(out.back().path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = 1100LL * 1024 * 1024;
    const bool padded = f != INVALID_HANDLE_VALUE && SetFilePointerEx(f, end, nullptr, FILE_BEGIN) && SetEndOfFile(f);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    return padded;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--idle") return child(argv[1], nullptr);
    if (argc >= 3) return child(argv[1], argv[2]);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string photo = std::string(temp) + "bench_image_4000x3000.jpg";
    const std::string prog = std::string(temp) + "bench_image_4000x3000_progressive.jpg";
    const std::string hostile = std::string(temp) + "bench_image_hostile.jpg";
    std::vector<Hostile> set;
    if (!bench::write_photo_jpeg(photo, 4000, 3000) || !bench::write_photo_jpeg(prog, 4000, 3000, 90, true) ||
        !bench::write_claiming_jpeg(hostile, 30000, 30000) || !write_hostile(temp, set)) {
        std::printf("bench_image: cannot write the pictures\n");
        return 1;
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string me = bench::quoted(self);

    std::vector<double> idle, preview, full, hostile_peak, preview_ms, hostile_ms, prog_peak, prog_ms;
    std::vector<double> worst_ratio, worst_peak;
    std::vector<std::vector<double>> set_ms(set.size()), set_peak(set.size());
    for (int i = 0; i < runs; ++i) {
        const Child a = measure(me + " --idle");
        const Child b = measure(me + " --preview " + bench::quoted(photo));
        const Child c = measure(me + " --preview " + bench::quoted(hostile));
        const Child d = measure(me + " --full " + bench::quoted(photo));
        const Child p = measure(me + " --preview " + bench::quoted(prog));
        if (!a.ok || !b.ok || !c.ok || !d.ok || !p.ok) {
            std::printf("bench_image: a child failed (idle %d, preview %d, hostile %d, full %d, progressive %d)\n",
                        a.ok, b.ok, c.ok, d.ok, p.ok);
            return 1;
        }
        idle.push_back(a.peak);
        preview.push_back(b.peak);
        hostile_peak.push_back(c.peak);
        full.push_back(d.peak);
        preview_ms.push_back(b.ms);
        hostile_ms.push_back(c.ms);
        prog_peak.push_back(p.peak);
        prog_ms.push_back(p.ms);
        // The hostile set, paired with this run's photo: its slowest and its largest.
        double slowest = 0, largest = 0;
        for (std::size_t k = 0; k < set.size(); ++k) {
            const Child h = measure(me + " --hostile " + bench::quoted(set[k].path));
            if (!h.ok) {
                std::printf("bench_image: the child for %s failed\n", set[k].name);
                return 1;
            }
            set_ms[k].push_back(h.ms);
            set_peak[k].push_back(h.peak);
            slowest = std::max(slowest, h.ms);
            largest = std::max(largest, h.peak - a.peak);
        }
        worst_ratio.push_back(slowest / b.ms);
        worst_peak.push_back(largest);
    }
    WIN32_FILE_ATTRIBUTE_DATA fa = {};
    GetFileAttributesExA(photo.c_str(), GetFileExInfoStandard, &fa);
    const double base = bench::median(idle);
    std::printf("bench_image: peak working sets, medians of %d children each\n", runs);
    std::printf("  idle (image library started)                      %7.1f MB\n", base);
    std::printf("  preview of a 4000x3000 JPEG (%.1f MB file)          %7.1f MB, %.1f ms in the child\n",
                static_cast<double>(fa.nFileSizeLow) / (1024.0 * 1024.0), bench::median(preview),
                bench::median(preview_ms));
    std::printf("  preview of the same photo saved progressive        %7.1f MB, %.1f ms in the child\n",
                bench::median(prog_peak), bench::median(prog_ms));
    std::printf("  preview of a file claiming 30000x30000             %7.1f MB, %.1f ms in the child\n",
                bench::median(hostile_peak), bench::median(hostile_ms));
    for (std::size_t k = 0; k < set.size(); ++k)
        std::printf("  hostile: %-40s %7.1f MB, %.1f ms in the child\n", set[k].name, bench::median(set_peak[k]),
                    bench::median(set_ms[k]));
    std::printf("  full-size load and scaling of the 4000x3000 JPEG  %7.1f MB (for comparison)\n",
                bench::median(full));
    std::vector<bench::Figure> figures = {
        {"preview_peak_mb", bench::median(preview) - base, "<=", 8},
        {"hostile_30000_peak_mb", bench::median(hostile_peak) - base, "<=", 64},
        {"progressive_peak_mb", bench::median(prog_peak) - base, "<=", 40},
    };
    figures.push_back(bench::ratio_figure("hostile_worst_vs_photo", worst_ratio, "<=", 10));
    figures.push_back({"hostile_worst_peak_mb", bench::median(worst_peak), "<=", 64});
    DeleteFileA(photo.c_str());
    DeleteFileA(prog.c_str());
    DeleteFileA(hostile.c_str());
    for (const Hostile& h : set) DeleteFileA(h.path.c_str());
    bench::print_figures(figures);
    return 0;
}
