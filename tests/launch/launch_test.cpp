// Starting the tests' own helper program and reading what it reports about
// its command line and working folder; pipes to its standard streams.
#include <gtest/gtest.h>

#include "launch/launch.h"
#include "runtime/win32.h"
#include "tests/files/temp_folder.h"

namespace {

using tw_test::read_bytes;
using tw_test::TempFolder;

struct Report {
    std::string cmd, cwd;
};

// Waits (up to 20 s) until the helper has written its report.
Report wait_report(const std::string& path) {
    for (int tries = 0; tries < 400; ++tries) {
        std::string text = read_bytes(path);
        if (text.rfind("cmd=", 0) == 0) {
            Report r;
            auto end = text.find("\r\n");
            r.cmd = text.substr(4, end - 4);
            auto cwd = text.find("cwd=", end);
            r.cwd = text.substr(cwd + 4, text.find("\r\n", cwd) - cwd - 4);
            return r;
        }
        Sleep(50);
    }
    return {"<no report>", "<no report>"};
}

std::string current_folder() {
    char buf[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof buf, buf);
    return buf;
}

class Launching : public ::testing::Test {
protected:
    void SetUp() override {
        launch_library_init();
        tw_test::make_folder(tmp / "mein spiel");
        program = tmp / "mein spiel\\helper prog.exe";
        ASSERT_TRUE(CopyFileA((tw_test::program_folder() + "launch_test_helper.exe").c_str(), program.c_str(), FALSE));
    }
    void TearDown() override { launch_free_all(); }
    TempFolder tmp;
    std::string program;
};

TEST_F(Launching, ProgramWithSpacesStartsInTheCallersFolder) {
    std::string report = tmp / "report one.txt";
    EXPECT_EQ(run_program(program, "\"" + report + "\""), 1);
    Report r = wait_report(report);
    EXPECT_EQ(r.cmd, "\"" + program + "\" \"" + report + "\"");
    EXPECT_EQ(r.cwd, current_folder());
}

TEST_F(Launching, QuotedProgramIsNotQuotedAgainAndWorkingFolderIsUsed) {
    std::string report = tmp / "report.txt";
    EXPECT_EQ(run_program("\"" + program + "\"", report, tmp.path(), RUN_WAIT), 1);
    // RUN_WAIT: the report is there as soon as run_program returns.
    ASSERT_TRUE(tw_test::exists(report));
    Report r = wait_report(report);
    EXPECT_EQ(r.cmd, "\"" + program + "\" " + report);
    EXPECT_EQ(r.cwd + "\\", tmp.path());
}

TEST_F(Launching, WaitAndHiddenStart) {
    std::string report = tmp / "slow.txt";
    EXPECT_EQ(run_program(program, report + " sleep", nullptr, RUN_WAIT | RUN_HIDDEN), 1);
    EXPECT_TRUE(tw_test::exists(report)) << "returned before the program ended";
}

TEST_F(Launching, MissingProgramsAndEmptyTextsFail) {
    EXPECT_EQ(run_program(tmp / "fehlt.exe"), 0);
    EXPECT_EQ(run_program(nullptr), 0);
    EXPECT_EQ(run_program(""), 0);
    EXPECT_EQ(run_program(std::string("a\0b", 3)), 0);
    EXPECT_EQ(run_program(tmp.path() + std::string(300, 'p') + ".exe", std::string(300, 'q')), 0);
    EXPECT_EQ(run_program(tmp / "fehlt.exe", "", "", RUN_OBJECT | RUN_READ_OUTPUT), 0);
    EXPECT_EQ(run_program(program, "-", "", RUN_FROM_SENDER, 12345), 0) << "no such sender";
    delay(0);
}

TEST_F(Launching, PipesToAllThreeStreams) {
    intptr_t p = run_program(program, "- echo", "", RUN_OBJECT | RUN_READ_OUTPUT | RUN_WRITE_INPUT | RUN_READ_ERROR);
    ASSERT_NE(p, 0);
    EXPECT_GT(process_id(p), 0);
    EXPECT_EQ(process_write(p, "hallo", 5), 5);
    EXPECT_EQ(process_close_input(p), 1);
    EXPECT_EQ(process_read_output(p), "out:hallo");
    EXPECT_EQ(process_read_error(p), "err:5");
    EXPECT_EQ(process_wait(p, 10000), 1);
    EXPECT_EQ(process_exit_code(p), 3);
    EXPECT_EQ(process_free(p), 1);
    EXPECT_EQ(process_free(p), 0);
    EXPECT_EQ(process_write(p, "x", 1), 0);
}

TEST_F(Launching, SendersOutputFeedsTheNextProgram) {
    const uint32_t pipes = RUN_OBJECT | RUN_READ_OUTPUT | RUN_READ_ERROR;
    intptr_t first = run_program(program, "- echo", "", pipes | RUN_WRITE_INPUT);
    ASSERT_NE(first, 0);
    intptr_t second = run_program(program, "- echo", "", pipes | RUN_FROM_SENDER, first);
    ASSERT_NE(second, 0);
    process_write(first, "xy", 2);
    process_close_input(first);
    EXPECT_EQ(process_read_output(second), "out:out:xy");
    EXPECT_EQ(process_wait(second, 10000), 1);
    EXPECT_EQ(process_wait(first, 10000), 1);
}

// A document type of the tests' own, opened by the helper: CreateProcessA
// cannot start a document, so the shell's open takes over and starts the
// helper in the document's folder.
class ShellOpen : public Launching {
protected:
    void SetUp() override {
        Launching::SetUp();
        std::string command = "\"" + program + "\" \"%1\"";
        ok = RegSetValueA(HKEY_CLASSES_ROOT, ".twtestdoc", REG_SZ, "TwTestDoc", 9) == ERROR_SUCCESS &&
             RegSetValueA(HKEY_CLASSES_ROOT, "TwTestDoc\\shell\\open\\command", REG_SZ, command.c_str(),
                          static_cast<DWORD>(command.size())) == ERROR_SUCCESS;
    }
    void TearDown() override {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "TwTestDoc\\shell\\open\\command");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "TwTestDoc\\shell\\open");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "TwTestDoc\\shell");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "TwTestDoc");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".twtestdoc");
        Launching::TearDown();
    }
    bool ok = false;
};

TEST_F(ShellOpen, DocumentOpensWithItsProgramInTheDocumentsFolder) {
    ASSERT_TRUE(ok) << "could not register the document type";
    tw_test::make_folder(tmp / "docs");
    std::string doc = tmp / "docs\\palette.twtestdoc";
    tw_test::write_bytes(doc, "document");
    EXPECT_EQ(run_program(doc), 1);
    Report r = wait_report(doc);  // the helper writes its report over the document
    EXPECT_NE(r.cmd.find(doc), std::string::npos) << r.cmd;
    EXPECT_EQ(r.cwd + "\\", tmp / "docs\\");

    // With pipes asked for there is no shell fallback.
    EXPECT_EQ(run_program(doc, "", "", RUN_OBJECT | RUN_READ_OUTPUT), 0);
    // An unknown document type cannot be opened either way.
    tw_test::write_bytes(tmp / "x.unbekannt", "x");
    EXPECT_EQ(run_program(tmp / "x.unbekannt"), 0);
}

}  // namespace
