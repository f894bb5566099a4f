#include "tests/common/folders.h"

#include <algorithm>

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

std::vector<std::string> tw_test::folder_names(const std::string& folder) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((folder + "*").c_str(), &fd);
  if (f == INVALID_HANDLE_VALUE) return out;
  do {
    std::string n = fd.cFileName;
    if (n != "." && n != "..") out.push_back(n);
  } while (FindNextFileA(f, &fd));
  FindClose(f);
  std::sort(out.begin(), out.end());
  return out;
}

void tw_test::remove_tree(const std::string& path) {
  std::string base = path;
  if (!base.empty() && base.back() != '\\') base += '\\';
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((base + "*").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      if (n == "." || n == "..") continue;
      std::string p = base + n;
      SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        remove_tree(p);
      else
        DeleteFileA(p.c_str());
    } while (FindNextFileA(f, &fd));
    FindClose(f);
  }
  SetFileAttributesA(base.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(base.c_str());
}
