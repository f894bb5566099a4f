// Path parts, file-name checks and scan paths.
#include <gtest/gtest.h>

#include "text/path_parts.h"

namespace {

TEST(PathParts, FolderAndFileParts) {
    EXPECT_EQ(path_folder_part("c:\\games\\x\\qz.ini"), "c:\\games\\x\\");
    EXPECT_EQ(path_file_part("c:\\games\\x\\qz.ini"), "qz.ini");
    EXPECT_EQ(path_folder_part("qz.ini"), "");
    EXPECT_EQ(path_file_part("qz.ini"), "qz.ini");
    EXPECT_EQ(path_folder_part("c:/games/qz.pal"), "c:/games/");
    EXPECT_EQ(path_file_part("c:\\games/mixed\\qz.pal"), "qz.pal");
    // Quoted paths: the opening quote is dropped, the file part stops at the closing one.
    EXPECT_EQ(path_folder_part("\"c:\\my games\\x.pal\""), "c:\\my games\\");
    EXPECT_EQ(path_file_part("\"c:\\my games\\x.pal\" -w"), "x.pal");
    EXPECT_EQ(path_file_part("PaletteFile=\"paletten\\Gr\xFCn.pal\""), "Gr\xFCn.pal");
    // "|" ends the folder scan but means nothing to the file part.
    EXPECT_EQ(path_folder_part("c:\\a\\b|c:\\d\\e"), "c:\\a\\");
    EXPECT_EQ(path_file_part("c:\\a\\b|c"), "b|c");
    EXPECT_EQ(path_file_part("c:\\games\\"), "");
    EXPECT_EQ(path_folder_part(nullptr), "");
    EXPECT_EQ(path_file_part(nullptr), "");
    EXPECT_EQ(path_file_part("\""), "");
}

TEST(PathParts, FileNameValid) {
    EXPECT_EQ(file_name_valid("Gr\xFCne Hitze 2.pal"), 1);
    EXPECT_EQ(file_name_valid("a\\b.pal"), 0);
    EXPECT_EQ(file_name_valid("c:x.pal"), 0);
    for (char bad : std::string("\"*/:<>?\\|\t\x1F", 12))
        EXPECT_EQ(file_name_valid(std::string("ab") + bad), 0) << int(bad);
    EXPECT_EQ(file_name_valid(std::string("a\0b", 3)), 0);
    EXPECT_EQ(file_name_valid(""), 0);
    EXPECT_EQ(file_name_valid(nullptr), 0);
    EXPECT_EQ(file_name_valid(" "), 1);
}

TEST(PathParts, SearchPathsNeverExceedThePathLimit) {
    EXPECT_EQ(tw::dir_search_path("c:\\pal", "*.pal"), "c:\\pal\\*.pal");
    EXPECT_EQ(tw::dir_search_path("c:\\pal\\", "*.pal"), "c:\\pal\\*.pal");
    EXPECT_EQ(tw::dir_search_path("c:\\pal", ""), "c:\\pal\\*.*");
    EXPECT_EQ(tw::dir_search_path("", "*.pal"), "*.pal");
    std::string folder(300, 'a');
    EXPECT_FALSE(tw::dir_search_path(folder, "*.pal"));
    // 255 + backslash + "*.*" = 259 fits; one more does not.
    EXPECT_TRUE(tw::dir_search_path(std::string(255, 'a'), ""));
    EXPECT_FALSE(tw::dir_search_path(std::string(256, 'a'), ""));
    EXPECT_FALSE(tw::dir_search_path("c:\\pal", std::string(300, '?')));
    EXPECT_FALSE(tw::dir_search_path(std::string("c:\\a\0b", 6), "*.*"));
}

TEST(PathParts, TrailingBackslash) {
    EXPECT_EQ(tw::with_one_trailing_backslash("C:\\"), "C:\\");
    EXPECT_EQ(tw::with_one_trailing_backslash("C:\\games"), "C:\\games\\");
    EXPECT_EQ(tw::with_one_trailing_backslash("C:\\games\\\\"), "C:\\games\\");
    EXPECT_EQ(tw::with_one_trailing_backslash(""), "");
}

}  // namespace
