#include "tests/common/folders.h"

#include "runtime/win32.h"

void tw_test::settle_access_times(const std::string& folder) {
  const std::string path = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
  for (int round = 0; round < 2; ++round) {
    if (round) Sleep(20);  // past the file system's clock step, should the first listing share it with a change
    for (size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1)) {
      WIN32_FIND_DATAA fd;
      HANDLE f = FindFirstFileA((path.substr(0, cut + 1) + "*").c_str(), &fd);
      if (f == INVALID_HANDLE_VALUE) continue;
      while (FindNextFileA(f, &fd)) {
      }
      FindClose(f);
    }
  }
}
