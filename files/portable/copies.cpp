#include "files/portable/copies.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace tw {

namespace {

constexpr const char* kSuffixes[] = {".part", ".new", ".inplace", ".old", ".void"};
constexpr int kKinds = 5;
constexpr std::string_view kNoContent = "none";
constexpr std::string_view kInPlaceHeader = "TW-INPLACE ";

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool is_tag(std::string_view s) {
    if (s == kNoContent) return true;
    if (s.size() != 16) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// A decimal count without sign or leading zero, up to the end or a blank.
std::optional<std::size_t> read_count(std::string_view& s) {
    std::size_t digits = 0, value = 0;
    while (digits < s.size() && digits < 12 && s[digits] >= '0' && s[digits] <= '9')
        value = value * 10 + static_cast<std::size_t>(s[digits++] - '0');
    if (digits == 0 || (digits > 1 && s[0] == '0')) return std::nullopt;
    s.remove_prefix(digits);
    return value;
}

}  // namespace

std::string content_tag(std::optional<std::string_view> content) {
    if (!content) return std::string(kNoContent);
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : *content) {
        h ^= c;
        h *= 1099511628211ull;
    }
    static const char hex[] = "0123456789abcdef";
    std::string tag(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4) tag[static_cast<std::size_t>(i)] = hex[h & 15];
    return tag;
}

std::string copy_name(std::string_view target, int n, std::string_view tag, CopyKind kind) {
    std::string name(target);
    name += ".tw" + std::to_string(n);
    if (!tag.empty()) (name += '.') += tag;
    return name + kSuffixes[static_cast<int>(kind)];
}

std::optional<CopyId> parse_copy_name(std::string_view target_file, std::string_view name) {
    const std::size_t prefix = target_file.size() + 3;
    if (name.size() <= prefix || !same_letters(name.substr(0, target_file.size()), target_file) ||
        !same_letters(name.substr(target_file.size(), 3), ".tw"))
        return std::nullopt;
    std::string_view rest = name.substr(prefix);
    CopyId id;
    std::size_t digits = 0;
    while (digits < rest.size() && digits < 4 && rest[digits] >= '0' && rest[digits] <= '9')
        id.number = id.number * 10 + (rest[digits++] - '0');
    // Only the numbers a replacement makes: 1 to 999, no leading zero.
    if (digits == 0 || rest[0] == '0' || id.number > kCopyNumbers) return std::nullopt;
    rest.remove_prefix(digits);
    // ".tag.kind", or ".kind" alone from an earlier version.
    std::string lowered;
    for (char c : rest) lowered += lower(c);
    std::string_view r = lowered;
    if (const std::size_t dot = r.find('.', 1); dot != std::string_view::npos && r.size() > 1) {
        const std::string_view tag = r.substr(1, dot - 1);
        if (is_tag(tag)) {
            id.tag = std::string(tag);
            r.remove_prefix(dot);
        }
    }
    for (int k = 0; k < kKinds; ++k)
        if (r == kSuffixes[k]) {
            id.kind = static_cast<CopyKind>(k);
            // A marker always names what it voids by its tag.
            if (id.kind == CopyKind::Void && id.tag.empty()) return std::nullopt;
            return id;
        }
    return std::nullopt;
}

std::string in_place_copy(std::string_view content, std::string_view base) {
    std::string bytes(kInPlaceHeader);
    bytes += std::to_string(content.size()) + " " + std::to_string(base.size()) + "\r\n";
    bytes += content;
    bytes += base;
    return bytes;
}

std::optional<InPlaceCopy> parse_in_place_copy(std::string_view bytes) {
    if (bytes.substr(0, kInPlaceHeader.size()) != kInPlaceHeader) return std::nullopt;
    bytes.remove_prefix(kInPlaceHeader.size());
    const std::optional<std::size_t> content = read_count(bytes);
    if (!content || bytes.empty() || bytes[0] != ' ') return std::nullopt;
    bytes.remove_prefix(1);
    const std::optional<std::size_t> base = read_count(bytes);
    if (!base || bytes.substr(0, 2) != "\r\n") return std::nullopt;
    bytes.remove_prefix(2);
    if (bytes.size() != *content + *base || *content > bytes.size()) return std::nullopt;
    return InPlaceCopy{std::string(bytes.substr(0, *content)), std::string(bytes.substr(*content))};
}

bool left_by_in_place_write(std::string_view target, std::string_view content, std::string_view base) {
    // Either content written from the start over the other, in pieces, then
    // cut behind it: the length lies between the two, and each byte is the
    // one the one or the other has there.
    if (target.size() < std::min(content.size(), base.size()) || target.size() > std::max(content.size(), base.size()))
        return false;
    for (std::size_t i = 0; i < target.size(); ++i)
        if (!(i < content.size() && target[i] == content[i]) && !(i < base.size() && target[i] == base[i])) return false;
    return true;
}

// ---- The plan.

namespace {

class Planner {
public:
    explicit Planner(const FoundFiles& f) : f_(f) {}

    RollPlan plan() {
        for (const FoundCopy& c : f_.copies)
            if (c.id.kind == CopyKind::Void) voided_.insert(c.id.number);
        target_present_ = f_.target_present;
        target_readable_ = f_.target_readable;
        target_tag_ = f_.target_tag;

        // Unfinished copies (an in-place copy that does not read whole was
        // cut while it was written, before the target was touched) and
        // changes told failed never touched the target: they go first, so
        // that their names are free for what follows.
        for (std::size_t i = 0; i < f_.copies.size(); ++i) {
            const FoundCopy& c = f_.copies[i];
            const bool unfinished = c.id.kind == CopyKind::Part ||
                                    (c.id.kind == CopyKind::InPlace && !c.id.tag.empty() && c.readable && !c.parsed);
            const bool whole_new = c.id.kind == CopyKind::New || (c.id.kind == CopyKind::InPlace && c.id.tag.empty());
            if (unfinished || (whole_new && voided(i))) remove(i);
        }
        // A change told failed that was being written in place: its old content goes back.
        for (std::size_t i = 0; i < f_.copies.size(); ++i)
            if (f_.copies[i].id.kind == CopyKind::InPlace && voided(i)) undo_in_place(i);
        decide();
        // Markers go once nothing of their change is left.
        for (std::size_t i = 0; i < f_.copies.size(); ++i)
            if (f_.copies[i].id.kind == CopyKind::Void && !kept_number(f_.copies[i].id.number)) remove(i);
        return finish();
    }

private:
    bool voided(std::size_t i) const { return voided_.count(f_.copies[i].id.number) != 0; }
    void remove(std::size_t i) {
        if (handled_.insert(i).second) plan_.actions.push_back({RollStep::Remove, i});
    }
    void put(RollStep step, std::size_t i) {
        handled_.insert(i);
        plan_.actions.push_back({step, i});
        (step == RollStep::PutBack ? back_ : completed_) = true;
    }
    void keep(std::size_t i) {
        handled_.insert(i);
        kept_.insert(i);
        failed_ = true;
    }
    bool kept_number(int number) const {
        for (std::size_t i : kept_)
            if (f_.copies[i].id.number == number) return true;
        return false;
    }

    void undo_in_place(std::size_t i) {
        const FoundCopy& c = f_.copies[i];
        if (handled_.count(i)) return;
        if (!c.readable || (target_present_ && !target_readable_) || stale_) return keep(i);
        if (!target_present_ || (c.target_ours && !c.target_is_base && !c.target_is_new)) {
            // Cut by the write or by putting the old content back: PutBack of
            // an in-place copy writes its old content; the copy goes with it.
            // A file that holds either content whole keeps it.
            put(RollStep::PutBack, i);
            back_ = false;
            stale_ = true;  // what other in-place copies were found against is gone
            target_present_ = target_readable_ = true;
            target_tag_ = c.id.tag;
            return;
        }
        remove(i);
    }

    // The change to complete, if any, and what becomes of the rest.
    void decide() {
        std::vector<std::size_t> olds, changes;
        for (std::size_t i = 0; i < f_.copies.size(); ++i) {
            if (handled_.count(i)) continue;
            const CopyKind k = f_.copies[i].id.kind;
            if (k == CopyKind::Old) olds.push_back(i);
            if (k == CopyKind::New || k == CopyKind::InPlace) changes.push_back(i);
        }
        if (!target_present_) return decide_missing(olds, changes);
        if (!target_readable_) {
            for (std::size_t i : changes) keep(i);
            for (std::size_t i : olds) keep(i);
            return;
        }
        // The target is there: backups of finished replaces no longer matter.
        for (std::size_t i : olds) remove(i);
        std::optional<std::size_t> chosen;
        std::vector<std::size_t> foreign, done;
        for (std::size_t i : changes) {
            const FoundCopy& c = f_.copies[i];
            if (f_.keep_existing && c.id.kind != CopyKind::InPlace) {
                done.push_back(i);
            } else if (c.id.kind == CopyKind::InPlace && !c.id.tag.empty()) {
                if (!c.readable || stale_) {
                    keep(i);
                } else if (c.target_is_new) {
                    done.push_back(i);
                } else if (c.target_ours) {
                    if (!chosen || f_.copies[*chosen].id.kind != CopyKind::InPlace) {
                        if (chosen) foreign.push_back(*chosen);
                        chosen = i;
                    } else {
                        keep(i);  // two unfinished in-place writes: not to be told apart now
                    }
                } else {
                    foreign.push_back(i);
                }
            } else if (!c.id.tag.empty() && c.id.tag == target_tag_ &&
                       (!chosen || (f_.copies[*chosen].id.kind == CopyKind::New &&
                                    c.id.number > f_.copies[*chosen].id.number))) {
                if (chosen) done.push_back(*chosen);  // made from the same content: superseded
                chosen = i;
            } else if (!c.id.tag.empty() && c.id.tag == target_tag_) {
                done.push_back(i);
            } else {
                foreign.push_back(i);
            }
        }
        if (chosen) put(RollStep::PutInPlace, *chosen);
        for (std::size_t i : done) remove(i);
        for (std::size_t i : foreign) {
            remove(i);
            not_applied_ = true;
        }
    }

    // No target: a replace stopped between its two moves (the file under
    // .old beside the change of the same number), or the file went.
    void decide_missing(const std::vector<std::size_t>& olds, const std::vector<std::size_t>& changes) {
        auto whole = [&](std::size_t i) {
            // An earlier version's in-place copy holds the new content alone.
            const FoundCopy& c = f_.copies[i];
            return c.id.kind == CopyKind::New || c.id.tag.empty() || (c.readable && c.parsed);
        };
        std::optional<std::size_t> backup, chosen;
        for (std::size_t o : olds)
            for (std::size_t i : changes)
                if (f_.copies[o].readable && whole(i) && f_.copies[i].id.number == f_.copies[o].id.number &&
                    f_.copies[i].id.tag == f_.copies[o].held_tag) {
                    backup = o;
                    chosen = i;
                }
        if (!chosen && !olds.empty()) {
            // Otherwise the backups must agree on the file's content: numbers
            // say nothing of which is newer.
            for (std::size_t o : olds)
                if (!f_.copies[o].readable || f_.copies[o].held_tag != f_.copies[olds[0]].held_tag) {
                    for (std::size_t i : olds) keep(i);
                    for (std::size_t i : changes) keep(i);
                    return;
                }
            backup = olds[0];
        }
        const bool paired = chosen.has_value();
        for (std::size_t i : changes) {
            if (paired || !whole(i)) continue;
            // With a backup only a change made from it; without one any.
            if (backup && f_.copies[i].id.tag != f_.copies[*backup].held_tag) continue;
            if (!chosen || better_missing(i, *chosen)) chosen = i;
        }
        if (chosen) {
            put(RollStep::PutInPlace, *chosen);
        } else if (backup) {
            put(RollStep::PutBack, *backup);
        } else {
            for (std::size_t i : changes) keep(i);  // nothing whole to put there: they wait
            return;
        }
        target_present_ = true;
        for (std::size_t i : olds) remove(i);
        for (std::size_t i : changes) {
            if (handled_.count(i)) continue;
            remove(i);
            not_applied_ = true;
        }
    }
    bool better_missing(std::size_t a, std::size_t b) const {
        const FoundCopy &x = f_.copies[a], &y = f_.copies[b];
        const bool xi = x.id.kind == CopyKind::InPlace, yi = y.id.kind == CopyKind::InPlace;
        if (xi != yi) return xi;
        return x.id.number > y.id.number;
    }

    RollPlan finish() {
        if (failed_)
            plan_.outcome = RollOutcome::Failed;
        else if (completed_)
            plan_.outcome = RollOutcome::Completed;
        else if (back_ || not_applied_)
            plan_.outcome = RollOutcome::NotApplied;
        else if (!plan_.actions.empty())
            plan_.outcome = RollOutcome::Removed;
        return std::move(plan_);
    }

    const FoundFiles& f_;
    std::set<int> voided_;
    std::set<std::size_t> handled_, kept_;
    bool target_present_ = false, target_readable_ = false;
    std::string target_tag_;
    bool failed_ = false, completed_ = false, back_ = false, not_applied_ = false, stale_ = false;
    RollPlan plan_;
};

}  // namespace

RollPlan plan_roll_forward(const FoundFiles& found) { return Planner(found).plan(); }

}  // namespace tw
