// Started by the launching tests.
//   launch_test_helper REPORT [MODE]
// Writes "cmd=<its command line>" and "cwd=<its working folder>" (CR LF
// after each) into the file REPORT (unless REPORT is "-"). MODE "echo" copies
// standard input to standard output behind "out:", writes "err:<count>" to
// standard error and ends with exit code 3; MODE "sleep" waits 300 ms before
// writing the report.
#include <cstring>
#include <string>

#include "runtime/win32.h"

int main(int argc, char** argv) {
    std::string mode = argc > 2 ? argv[2] : "";
    if (mode == "sleep") Sleep(300);
    int code = 0;
    if (mode == "echo") {
        std::string data;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), chunk, sizeof chunk, &got, nullptr) && got > 0)
            data.append(chunk, got);
        std::string out = "out:" + data;
        std::string err = "err:" + std::to_string(data.size());
        DWORD done = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &done, nullptr);
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), err.data(), static_cast<DWORD>(err.size()), &done, nullptr);
        code = 3;
    }
    if (argc > 1 && std::strcmp(argv[1], "-") != 0) {
        char cwd[MAX_PATH + 1] = {};
        GetCurrentDirectoryA(sizeof cwd, cwd);
        std::string report = std::string("cmd=") + GetCommandLineA() + "\r\ncwd=" + cwd + "\r\n";
        // Write to a temporary name first so the test never sees half a report.
        std::string temp = std::string(argv[1]) + ".part";
        HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD done = 0;
            WriteFile(h, report.data(), static_cast<DWORD>(report.size()), &done, nullptr);
            CloseHandle(h);
            MoveFileExA(temp.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING);
        }
    }
    return code;
}
