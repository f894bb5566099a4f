// Folders of the tests: listing and removing them, and making a new one ready
// for a folder requester.
#pragma once

#include <string>
#include <vector>

namespace tw_test {

// Lists every folder on the way to `folder` (with or without its trailing
// backslash: the folder itself too), twice, so that their last-access times
// are up to date before a folder requester walks them. Wine's requester finds
// its first folder by comparing item ids byte for byte, and those hold the
// last-access time, which the first listing after a change moves on
// (relatime): a folder created a moment before (or a fresh prefix's own Temp
// folder) would otherwise make the walk miss, and the requester opens
// somewhere above it.
void settle_access_times(const std::string& folder);

// The names in a folder (no "." and ".."), sorted.
std::vector<std::string> folder_names(const std::string& folder);

// Removes a folder with everything in it, write-protected files included.
void remove_tree(const std::string& path);

}  // namespace tw_test
