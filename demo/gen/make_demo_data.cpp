// Writes the demo's game files into a folder:
//   qz.ini, options.set, qz.pal and paletten/<theme>.pal with <theme>.jpg
//   (640 by 480, the track in that palette).
// Usage: make_demo_data <folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "demo/art/art.h"

namespace {

bool write_bytes(const std::filesystem::path& p, const void* data, size_t n) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
  return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_data <folder>\n");
    return 2;
  }
  namespace fs = std::filesystem;
  fs::path out(argv[1]);
  std::error_code ec;
  fs::create_directories(out / "paletten", ec);
  if (ec) {
    std::fprintf(stderr, "make_demo_data: cannot create %s: %s\n", out.string().c_str(), ec.message().c_str());
    return 1;
  }
  std::string ini = art::demo_ini("qz.pal");
  std::vector<uint8_t> opts = art::demo_options();
  art::Palette stock = art::stock_palette();
  bool ok = write_bytes(out / "qz.ini", ini.data(), ini.size()) &&
            write_bytes(out / "options.set", opts.data(), opts.size()) &&
            write_bytes(out / "qz.pal", stock.data(), stock.size());
  std::vector<uint8_t> track = art::draw_track(640, 480);
  for (const art::Theme& t : art::themes()) {
    fs::path base = out / "paletten" / t.name;
    ok = ok && write_bytes(base.string() + ".pal", t.palette.data(), t.palette.size()) &&
         art::write_jpeg(base.string() + ".jpg", art::to_rgb(track, t.palette), 640, 480);
  }
  if (!ok) {
    std::fprintf(stderr, "make_demo_data: writing into %s failed\n", out.string().c_str());
    return 1;
  }
  return 0;
}
