// bench_files: figures for reading and writing through the 4096-byte buffer
// against an unbuffered file: how many calls reach the file, and the time.
// It only reports; nothing has a goal.
//
//   bench_files [runs]    times are medians of that many runs (default 5)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/portable/buffered_file.h"

namespace {

struct Figures {
    std::size_t calls = 0;
    double ms = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double elapsed_ms(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Reads every line; false when the lines come back shorter than the content.
bool read_lines(const std::string& content, std::size_t capacity, Figures* out) {
    tw::MemoryFileBackend backend(content);
    tw::BufferedFile file(backend, capacity);
    const auto start = std::chrono::steady_clock::now();
    std::size_t total = 0, lines = 0;
    while (!file.eof()) {
        total += file.read_line().size();
        ++lines;
    }
    out->ms = elapsed_ms(start);
    out->calls = backend.read_calls;
    return total + 2 * lines >= content.size();
}

Figures write_lines(std::size_t count, std::size_t capacity) {
    tw::MemoryFileBackend backend;
    tw::BufferedFile file(backend, capacity);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t k = 0; k < count; ++k) file.write_line("PaletteFile = c:\\spiele\\paletten\\blau.pal");
    file.flush();
    return {backend.write_calls, elapsed_ms(start)};
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;
    std::string content;
    while (content.size() < (1u << 20)) content += "Key" + std::to_string(content.size()) + " = some value\r\n";

    Figures buffered, raw;
    std::vector<double> buffered_ms, raw_ms;
    for (int r = 0; r < runs; ++r) {
        if (!read_lines(content, 4096, &buffered) || !read_lines(content, 0, &raw)) {
            std::printf("bench_files: reading lost lines\n");
            return 1;
        }
        buffered_ms.push_back(buffered.ms);
        raw_ms.push_back(raw.ms);
    }
    std::printf("bench_files: reading 1 MB of lines: buffered %zu reads %.1f ms, unbuffered %zu reads %.1f ms "
                "(%.0fx fewer reads; medians of %d)\n",
                buffered.calls, median(buffered_ms), raw.calls, median(raw_ms),
                double(raw.calls) / double(buffered.calls), runs);

    Figures wb, wr;
    std::vector<double> wb_ms, wr_ms;
    for (int r = 0; r < runs; ++r) {
        wb = write_lines(25000, 4096);
        wr = write_lines(25000, 0);
        wb_ms.push_back(wb.ms);
        wr_ms.push_back(wr.ms);
    }
    std::printf("bench_files: writing 25000 lines: buffered %zu writes %.1f ms, unbuffered %zu writes %.1f ms "
                "(%.0fx fewer writes; medians of %d)\n",
                wb.calls, median(wb_ms), wr.calls, median(wr_ms), double(wr.calls) / double(wb.calls), runs);
    std::fflush(stdout);
    return 0;
}
