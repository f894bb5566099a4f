// The version information and the application manifest of the built
// tintwerk.exe, read from the file the way Windows' Explorer and loader read
// them: the version block through the version functions, the manifest from
// the module opened as a data file, and the manifest once more through an
// activation context built from it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string windows_path(std::string p) {
  std::replace(p.begin(), p.end(), '/', '\\');
  return "Z:" + p;
}

const std::string& tintwerk_exe() {
  static const std::string path = windows_path(TW_RELEASE_TINTWERK);
  return path;
}

std::wstring widen(const std::string& s) {
  std::wstring w(s.size(), L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(),
                                    static_cast<int>(w.size()));
  w.resize(n > 0 ? n : 0);
  return w;
}

// The whole version block of the file, read with the ANSI functions.
std::vector<char> version_block_a() {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(tintwerk_exe().c_str(), &handle);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoA(tintwerk_exe().c_str(), 0, size, block.data())) block.clear();
  return block;
}

std::vector<char> version_block_w() {
  const std::wstring path = widen(tintwerk_exe());
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) block.clear();
  return block;
}

// A string of the German Windows-1252 table, or "<missing>".
std::string string_a(std::vector<char>& block, const char* name) {
  const std::string key = std::string("\\StringFileInfo\\040704E4\\") + name;
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
    return "<missing>";
  return std::string(value);
}

std::wstring string_w(std::vector<char>& block, const wchar_t* name) {
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040704E4\\") + name;
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
    return L"<missing>";
  return std::wstring(value);
}

// The manifest's bytes, from the module opened as a data file.
std::string manifest_text() {
  HMODULE module = LoadLibraryExA(tintwerk_exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string text;
  if (HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    HGLOBAL loaded = LoadResource(module, info);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    if (bytes) text.assign(bytes, SizeofResource(module, info));
  }
  FreeLibrary(module);
  return text;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Where a program with `context` active gets comctl32.dll from: whether the
// context redirects the name (to the common controls 6 in the side-by-side
// store), and the file that LoadLibrary then loads. Not DllGetVersion: Wine's
// side-by-side copy of the common controls 6 reports 5.81 as well.
struct ComctlSource {
  bool redirected = false;
  std::string module;
};
ComctlSource comctl_source_in(HANDLE context) {
  ComctlSource source;
  ULONG_PTR cookie = 0;
  if (!ActivateActCtx(context, &cookie)) return source;
  ACTCTX_SECTION_KEYED_DATA data = {};
  data.cbSize = sizeof data;
  source.redirected =
      FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll", &data) != 0;
  if (HMODULE comctl = LoadLibraryA("comctl32.dll")) {
    char name[MAX_PATH] = {};
    GetModuleFileNameA(comctl, name, MAX_PATH);
    source.module = name;
    for (char& c : source.module)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    FreeLibrary(comctl);
  }
  DeactivateActCtx(0, cookie);
  return source;
}

}  // namespace

TEST(VersionResource, NamesTintwerkInGermanWithTheBuildsVersion) {
  std::vector<char> block = version_block_a();
  ASSERT_FALSE(block.empty()) << tintwerk_exe() << " has no version information (error " << GetLastError() << ")";

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof *fixed);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const DWORD ms = (TW_RELEASE_VERSION_MAJOR << 16) | TW_RELEASE_VERSION_MINOR;
  const DWORD ls = TW_RELEASE_VERSION_PATCH << 16;
  EXPECT_EQ(fixed->dwFileVersionMS, ms);
  EXPECT_EQ(fixed->dwFileVersionLS, ls);
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // One translation: German (Germany), Windows-1252.
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0407);
  EXPECT_EQ(translation[1], 1252);

  EXPECT_EQ(string_a(block, "ProductName"), "Tintwerk");
  EXPECT_EQ(string_a(block, "FileVersion"), TW_RELEASE_VERSION);
  EXPECT_EQ(string_a(block, "ProductVersion"), TW_RELEASE_VERSION);
  EXPECT_EQ(string_a(block, "OriginalFilename"), "tintwerk.exe");
}

TEST(VersionResource, DescriptionKeepsItsUmlautInEveryCodePage) {
  // The block holds UTF-16: the resource compiler must have read the script
  // as Windows-1252 for the u-umlaut to arrive as U+00FC.
  std::vector<char> wide = version_block_w();
  ASSERT_FALSE(wide.empty());
  EXPECT_EQ(string_w(wide, L"FileDescription"), L"Farbpaletten-Umschalter f\u00FCr Pistova");

  // Through the ANSI functions it is the Windows-1252 byte, where that is the
  // process' code page.
  if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 1252";
  std::vector<char> block = version_block_a();
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(string_a(block, "FileDescription"), "Farbpaletten-Umschalter f\xFCr Pistova");
}

TEST(VersionResource, CreditLineInTheProgramShowsTheSameVersion) {
  // The status line's credit text, as the program carries it, names
  // major.minor of its version information.
  std::ifstream in(tintwerk_exe(), std::ios::binary);
  const std::string exe((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(exe.empty());
  const std::string credit = "Tintwerk " + std::to_string(TW_RELEASE_VERSION_MAJOR) + "." +
                             std::to_string(TW_RELEASE_VERSION_MINOR) + " - Farbpaletten f\xFCr Pistova";
  EXPECT_NE(exe.find(credit + '\0'), std::string::npos) << "no \"" << credit << "\" in the program";
}

TEST(Manifest, RunsAsInvokerOnVistaTo11WithTheClassicControlsDpiAware) {
  const std::string manifest = manifest_text();
  ASSERT_FALSE(manifest.empty()) << "no resource 24/1 in " << tintwerk_exe();

  EXPECT_TRUE(contains(manifest, "<requestedExecutionLevel level=\"asInvoker\""));
  EXPECT_TRUE(contains(manifest, "urn:schemas-microsoft-com:compatibility.v1"));
  for (const char* os : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}",    // Vista
                         "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",    // 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",    // 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",    // 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})  // 10 and 11
    EXPECT_TRUE(contains(manifest, (std::string("<supportedOS Id=\"") + os + "\"/>").c_str())) << os;
  EXPECT_FALSE(contains(manifest, "Microsoft.Windows.Common-Controls"));
  EXPECT_FALSE(contains(manifest, "<dependency"));
  EXPECT_TRUE(contains(manifest, "WindowsSettings\">true</dpiAware>"));
  EXPECT_TRUE(contains(manifest, "WindowsSettings\">system</dpiAwareness>"));
  const std::string identity = std::string("version=\"") + TW_RELEASE_VERSION + ".0\"";
  EXPECT_TRUE(contains(manifest, identity.c_str())) << "assembly identity without " << identity;
}

TEST(Manifest, ActivationContextKeepsTheClassicCommonControls) {
  // The loader builds this context from resource 1 when the program starts; a
  // manifest it cannot parse keeps the program from starting at all.
  ACTCTXA exe = {};
  exe.cbSize = sizeof exe;
  exe.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  exe.lpSource = tintwerk_exe().c_str();
  exe.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE context = CreateActCtxA(&exe);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest was refused (error " << GetLastError() << ")";
  const ComctlSource classic = comctl_source_in(context);
  ReleaseActCtx(context);
  EXPECT_FALSE(classic.redirected) << "comctl32.dll is redirected";
  ASSERT_FALSE(classic.module.empty());
  EXPECT_EQ(classic.module.find("common-controls"), std::string::npos) << classic.module;

  // The same check tells the difference: a manifest that asks for the common
  // controls 6 gets them.
  char folder[MAX_PATH] = {}, file[MAX_PATH] = {};
  ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
  ASSERT_NE(GetTempFileNameA(folder, "twm", 0, file), 0u);
  const char* with_v6 =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
      "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
      "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"*\" "
      "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/></dependentAssembly></dependency>\n"
      "</assembly>\n";
  FILE* out = std::fopen(file, "wb");
  ASSERT_NE(out, nullptr);
  std::fputs(with_v6, out);
  std::fclose(out);
  ACTCTXA other = {};
  other.cbSize = sizeof other;
  other.lpSource = file;
  HANDLE v6 = CreateActCtxA(&other);
  DeleteFileA(file);
  ASSERT_NE(v6, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  const ComctlSource themed = comctl_source_in(v6);
  ReleaseActCtx(v6);
  EXPECT_TRUE(themed.redirected);
  EXPECT_NE(themed.module.find("common-controls"), std::string::npos) << themed.module;
}

TEST(Resources, ClassIconIsStillThere) {
  HMODULE module = LoadLibraryExA(tintwerk_exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr);  // RT_GROUP_ICON
  FreeLibrary(module);
}
