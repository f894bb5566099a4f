// What the benchmarks share: a clock, child processes with their output,
// figures taken as paired runs (median, min and max of the per-pair ratios),
// the summary lines "bench: NAME VALUE (goal OP LIMIT)", and photo-like JPEG
// pictures of any size written row by row. Windows only; header-only.
#pragma once

#include "runtime/win32.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "demo/art/art.h"

namespace bench {

inline double now_ms() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One figure for the summary at the end.
struct Figure {
    std::string name;
    double value;
    const char* op;  // "<=" or ">="
    double limit;
};

// A ratio measured as pairs in one run: prints its median, min and max.
inline Figure ratio_figure(const char* name, const std::vector<double>& ratios, const char* op, double limit) {
    const double m = median(ratios);
    const double lo = ratios.empty() ? 0 : *std::min_element(ratios.begin(), ratios.end());
    const double hi = ratios.empty() ? 0 : *std::max_element(ratios.begin(), ratios.end());
    std::printf("  %-40s median %.3f, min %.3f, max %.3f over %zu pairs (goal %s %g)\n", name, m, lo, hi,
                ratios.size(), op, limit);
    return {name, m, op, limit};
}

inline void print_figures(const std::vector<Figure>& figures) {
    for (const Figure& f : figures) std::printf("bench: %s %.2f (goal %s %g)\n", f.name.c_str(), f.value, f.op, f.limit);
    std::fflush(stdout);
}

struct Run {
    double ms = 0;
    std::string output;
    bool ok = false;
};

// Starts a command line, collects its standard output and waits for its end.
inline Run run(const std::string& command) {
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
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(read_end);
        CloseHandle(write_end);
        return r;
    }
    CloseHandle(write_end);
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

inline std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// A photo-like picture: soft gradients, edges and fine texture, so that the
// file holds a realistic amount of coded data. Written one row at a time, so
// that even 96 megapixels need no more than a row of memory (progressive
// files need the library's whole-picture buffers).
inline bool write_photo_jpeg(const std::string& path, int width, int height, int quality = 90,
                             bool progressive = false) {
    unsigned seed = 12345;
    const int tile = std::max(1, width / 16);
    return art::write_jpeg_rows(path, width, height, quality, [&](int y, uint8_t* row) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 31) - 16;
            const bool track = ((x / tile) + (y / tile)) % 3 == 0;
            const int r = (x * 255 / width + noise) + (track ? 40 : 0);
            const int g = (y * 255 / height + noise / 2);
            const int b = ((x ^ y) & 127) + 64 + noise;
            row[3 * x] = static_cast<uint8_t>(std::clamp(r, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(b, 0, 255));
        }
    }, progressive);
}

// A few hundred bytes whose frame header claims width x height pixels: a
// 16 x 16 picture with its size patched.
inline bool write_claiming_jpeg(const std::string& path, int width, int height) {
    const std::string small = path + ".small";
    if (!write_photo_jpeg(small, 16, 16, 75)) return false;
    std::FILE* f = std::fopen(small.c_str(), "rb");
    if (!f) return false;
    std::string bytes;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    std::remove(small.c_str());
    const std::size_t sof = bytes.find("\xFF\xC0");
    if (sof == std::string::npos) return false;
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
    f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace bench
