// Preview benchmark: image_load plus image_resize into the 300 x 225 preview
// box of a 4000 x 3000 baseline JPEG, against djpeg of the same libjpeg build
// decoding the same file. Each run is a child process, so both sides pay the
// same start-up; the figures are medians, the time ratio is taken in this run.
//
//   bench_image [runs]          generate the picture, measure, print figures
//   bench_image --load FILE     (child) load and scale once, print its own time
//   bench_image --idle          (child) start the image library only
//   bench_image --make FILE     write the picture only
#include "runtime/win32.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "image/image.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

double now_ms() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// A photo-like picture: soft gradients, edges and fine texture, so that the
// file holds a realistic amount of entropy-coded data.
bool write_picture(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(kWidth * 3);
    unsigned seed = 12345;
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 31) - 16;
            const bool track = ((x / 250) + (y / 250)) % 3 == 0;
            int r = (x * 255 / kWidth + noise) + (track ? 40 : 0);
            int g = (y * 255 / kHeight + noise / 2);
            int b = ((x ^ y) & 127) + 64 + noise;
            row[3 * x] = static_cast<JSAMPLE>(std::clamp(r, 0, 255));
            row[3 * x + 1] = static_cast<JSAMPLE>(std::clamp(g, 0, 255));
            row[3 * x + 2] = static_cast<JSAMPLE>(std::clamp(b, 0, 255));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
    return true;
}

struct Run {
    double ms = 0;
    double peak_working_mb = 0;
    std::string output;
    bool ok = false;
};

// Starts a program and waits for it, taking its time and output. With
// `measure_memory` its peak working set is read while it runs (Wine forgets
// the counters of a process that has ended); such runs are not timed.
Run run(const std::string& command, bool measure_memory = false) {
    Run r;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &sa, 1 << 16)) return r;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end;
    si.hStdError = write_end;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string cmd = command;
    const double t0 = now_ms();
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0,
                        nullptr, nullptr, &si, &pi)) {
        CloseHandle(read_end);
        CloseHandle(write_end);
        return r;
    }
    CloseHandle(write_end);
    if (measure_memory) {
        // The peak working set is a high-water mark: the last reading before
        // the end holds it.
        while (WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
            PROCESS_MEMORY_COUNTERS pmc = {};
            pmc.cb = sizeof pmc;
            if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc))
                r.peak_working_mb = std::max(r.peak_working_mb, static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0));
        }
    }
    char buf[512];
    DWORD got;
    while (ReadFile(read_end, buf, sizeof buf, &got, nullptr) && got) r.output.append(buf, got);
    WaitForSingleObject(pi.hProcess, INFINITE);
    r.ms = now_ms() - t0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    r.ok = code == 0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(read_end);
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int child_load(const char* path) {
    decoder_registry_reset();
    image_library_init();
    jpeg_decoder_register();
    const double t0 = now_ms();
    if (!image_load(200, path)) return 2;
    const float w = static_cast<float>(image_width(200)), h = static_cast<float>(image_height(200));
    int nw = static_cast<int>(w), nh = static_cast<int>(h);
    if (w > 300 || h > 225) {
        if (w / h > 1.3333f) {
            nw = 300;
            nh = static_cast<int>(static_cast<float>(h / w * 300.0));
        } else {
            nw = static_cast<int>(w / h * 225.0);
            nh = 225;
        }
    }
    const double t_loaded = now_ms();
    if (!image_resize(200, nw, nh, 0)) return 3;
    const double t1 = now_ms();
    std::printf("%.1f %.1f %.1f %dx%d\n", t1 - t0, t_loaded - t0, t1 - t_loaded, image_width(200), image_height(200));
    image_free_all();
    return 0;
}

int child_idle() {
    decoder_registry_reset();
    image_library_init();
    jpeg_decoder_register();
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (screen) DeleteDC(screen);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--load") return child_load(argv[2]);
    if (argc >= 2 && std::string(argv[1]) == "--idle") return child_idle();
    if (argc >= 3 && std::string(argv[1]) == "--make") return write_picture(argv[2]) ? 0 : 1;
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string picture = std::string(temp) + "bench_image_4000x3000.jpg";
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (!write_picture(picture)) {
        std::printf("bench_image: cannot write %s\n", picture.c_str());
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA fa = {};
    GetFileAttributesExA(picture.c_str(), GetFileExInfoStandard, &fa);

    const std::string q = "\"";
    const std::string ours = q + self + q + " --load " + q + picture + q;
    const std::string idle = q + self + q + " --idle";
    const std::string djpeg = q + TW_DJPEG_PATH + q + " -bmp -outfile NUL " + q + picture + q;
    const std::string djpeg_ppm = q + TW_DJPEG_PATH + q + " -outfile NUL " + q + picture + q;
    const std::string djpeg_idle = q + TW_DJPEG_PATH + q + " -version";

    run(ours);  // warm the file cache and Wine's DLLs once
    run(djpeg);
    std::vector<double> t_ours, t_load, t_resize, t_djpeg, t_ppm, t_idle, t_djpeg_idle, ratios;
    for (int i = 0; i < runs; ++i) {
        const Run a = run(ours), b = run(djpeg), c = run(idle), d = run(djpeg_idle), e = run(djpeg_ppm);
        if (!a.ok || !b.ok || !c.ok || !d.ok || !e.ok) {
            std::printf("bench_image: a run failed (ours %d, djpeg %d, idle %d, djpeg -version %d, djpeg ppm %d): %s %s\n",
                        a.ok, b.ok, c.ok, d.ok, e.ok, a.output.c_str(), b.output.c_str());
            return 1;
        }
        double total = 0, load = 0, resize = 0;
        std::sscanf(a.output.c_str(), "%lf %lf %lf", &total, &load, &resize);
        t_ours.push_back(a.ms);
        t_load.push_back(load);
        t_resize.push_back(resize);
        t_djpeg.push_back(b.ms);
        t_idle.push_back(c.ms);
        t_djpeg_idle.push_back(d.ms);
        t_ppm.push_back(e.ms);
        ratios.push_back(a.ms / b.ms);
    }
    std::vector<double> m_ours, m_djpeg, m_idle;
    for (int i = 0; i < std::min(runs, 3); ++i) {
        m_ours.push_back(run(ours, true).peak_working_mb);
        m_djpeg.push_back(run(djpeg, true).peak_working_mb);
        m_idle.push_back(run(idle, true).peak_working_mb);
    }

    const double bitmap_mb = kWidth * 3.0 * kHeight / (1024.0 * 1024.0);
    const double work_ours = median(t_ours) - median(t_idle), work_djpeg = median(t_djpeg) - median(t_djpeg_idle);
    std::printf("bench_image: %dx%d baseline JPEG (%.2f MB), %d runs, medians\n", kWidth, kHeight,
                static_cast<double>(fa.nFileSizeLow) / (1024.0 * 1024.0), runs);
    std::printf("  time   ours: image_load + image_resize to 300x225   %7.1f ms process (%.1f load + %.1f resize in-process)\n",
                median(t_ours), median(t_load), median(t_resize));
    std::printf("         djpeg -bmp to NUL (whole image held)         %7.1f ms process\n", median(t_djpeg));
    std::printf("         djpeg to NUL (PPM, streamed)                 %7.1f ms process\n", median(t_ppm));
    std::printf("         start-up only: ours --idle %.1f ms, djpeg -version %.1f ms\n", median(t_idle),
                median(t_djpeg_idle));
    std::printf("  ratio  ours/djpeg -bmp, whole processes: %.3f (best run %.3f)\n", median(ratios),
                *std::min_element(t_ours.begin(), t_ours.end()) / *std::min_element(t_djpeg.begin(), t_djpeg.end()));
    std::printf("         ours/djpeg -bmp, start-up taken off: %.3f (goal <= 1.25)\n", work_ours / work_djpeg);
    std::printf("         ours/djpeg PPM (streamed, no whole image), start-up taken off: %.3f\n",
                work_ours / (median(t_ppm) - median(t_djpeg_idle)));
    std::printf("  memory peak working set: ours %.1f MB, djpeg -bmp %.1f MB, ours --idle %.1f MB\n", median(m_ours),
                median(m_djpeg), median(m_idle));
    std::printf("         ours above start-up %.1f MB; budget: 24-bit bitmap %.1f MB + 10 MB = %.1f MB\n",
                median(m_ours) - median(m_idle), bitmap_mb, bitmap_mb + 10);
    DeleteFileA(picture.c_str());
    return 0;
}
