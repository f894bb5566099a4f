// The copies a whole-file replacement leaves beside its target, and what the
// next start does with them. Each copy's name says what its change was made
// from (a tag of the target's content then), so the start decides by what
// the files hold now, never by their times. Portable: the Win32 side lists
// the folder, reads the files and applies the plan made here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The copies a replacement makes beside its target, by what they hold.
enum class CopyKind {
    Part,     // being written: incomplete; the target was not touched
    New,      // complete; the target was not touched
    InPlace,  // the new content and the old, while the target is written in place
    Old,      // the target's old content, the backup of ReplaceFileA
    Void,     // marks the change of its number as told failed: never to be applied
};

// The tag of a content: 16 hex digits of its 64-bit FNV-1a hash; "none" for
// a file that was missing.
std::string content_tag(std::optional<std::string_view> content);

// target + ".tw" + n + "." + tag + ".part" (".new", ".inplace", ".old", ".void").
std::string copy_name(std::string_view target, int n, std::string_view tag, CopyKind kind);
// The number, tag and kind of `name` when it is one of those names for the
// file `target_file` (both without folder, compared without regard to case).
// Copies of the program's earlier versions carry no tag (empty): what their
// change was made from is not known.
struct CopyId {
    int number = 0;
    CopyKind kind = CopyKind::Part;
    std::string tag;
};
std::optional<CopyId> parse_copy_name(std::string_view target_file, std::string_view name);
// Copy numbers run from 1 to this.
inline constexpr int kCopyNumbers = 999;

// The in-place copy holds both contents behind a one-line header, so that the
// start can tell what a cut in-place write left from anything else.
std::string in_place_copy(std::string_view content, std::string_view base);
struct InPlaceCopy {
    std::string content;  // what the target is to hold
    std::string base;     // what it held before the write began
};
std::optional<InPlaceCopy> parse_in_place_copy(std::string_view bytes);
// Whether `target` is what writing `content` over `base` from the start (in
// pieces, then cutting the file behind it) can leave at any moment: `base`
// itself, the first bytes of `content` over the rest of `base`, or `content`.
bool left_by_in_place_write(std::string_view target, std::string_view content, std::string_view base);

// ---- The start's decision.

// What the start found of one copy, with the facts read from the files.
struct FoundCopy {
    CopyId id;
    bool readable = false;    // its content could be read (New, InPlace, Old)
    std::string held_tag;     // content_tag of what it holds (Old: the target's old content)
    // InPlace only: the copy could be parsed, and what the target is to it.
    bool parsed = false;
    bool target_is_new = false;   // the target holds the new content already
    bool target_is_base = false;  // the write never began
    bool target_ours = false;     // left_by_in_place_write(target, new, base)
};

struct FoundFiles {
    bool target_present = false;
    bool target_readable = false;  // its whole content could be read
    std::string target_tag;        // content_tag of that content
    bool keep_existing = false;    // a copy never overwritten: a target that is there stays
    std::vector<FoundCopy> copies;
};

enum class RollStep {
    Remove,      // the copy goes
    PutInPlace,  // the copy's content goes in place (a New one by a replace, an InPlace one written in place)
    PutBack,     // the backup (Old) takes the missing target's place
};
struct RollAction {
    RollStep step;
    std::size_t copy;  // index into FoundFiles::copies
};

// How the start's work beside one file ended, when every action is done.
enum class RollOutcome {
    Nothing,     // nothing was left
    Completed,   // a change was put in place
    Removed,     // only leftovers that no longer mattered were removed
    NotApplied,  // the file changed after the copy was made: kept, the copy removed
    Failed,      // something could not be decided now: it stays for the next start
};

struct RollPlan {
    // In this order; every prefix leaves a state the next start resolves
    // the same way, so a failed action ends the plan there.
    std::vector<RollAction> actions;
    RollOutcome outcome = RollOutcome::Nothing;
};

// The plan for what was found. Never removes the last whole copy of the
// content the file is to end with, and never puts a copy over a content it
// was not made from.
RollPlan plan_roll_forward(const FoundFiles& found);

}  // namespace tw
