// The start's roll-forward plan on arbitrary findings, played on a model of
// the folder: after every action no whole content the file is to end with is
// gone, and no copy goes over a content it was not made from.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "files/portable/copies.h"

namespace {

const char* const kContents[] = {"", "A", "AB", "PaletteFile = x\r\n", "PaletteFile = y\r\nZ\r\n"};

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::size_t at = 0;
    auto next = [&] { return at < size ? data[at++] : 0; };
    using namespace tw;
    std::optional<std::string> target;  // the model's target file
    if (const int t = next() % 7; t > 0) target = kContents[(t - 1) % 5];
    FoundFiles found;
    found.keep_existing = next() % 8 == 0;
    std::map<std::size_t, std::string> held;  // what each copy holds
    while (at + 4 <= size && found.copies.size() < 8) {
        FoundCopy c;
        c.id.kind = static_cast<CopyKind>(next() % 5);
        c.id.number = next() % 4 + 1;
        const int t = next() % 7, content = next() % 5;
        c.id.tag = t == 5 && c.id.kind != CopyKind::Void ? "" : t >= 5 ? content_tag(std::nullopt) : content_tag(kContents[t]);
        c.readable = next() % 8 != 0;
        std::string bytes = kContents[content];
        if (c.id.kind == CopyKind::InPlace && !c.id.tag.empty()) {
            // Its name carries the tag of the old content it holds.
            const std::string base = kContents[t % 5];
            c.id.tag = content_tag(base);
            bytes = in_place_copy(kContents[content], base);
            if (next() % 8 == 1) bytes.resize(bytes.size() / 2);  // cut while it was written
            // Sometimes the target is what a cut write of this copy left, or
            // a cut write of its old content back over the new.
            const std::string& from = kContents[content];
            if (const int k = next() % 8; k < 4 && target)
                target = from.substr(0, k * 4) + (base.size() > k * 4u ? base.substr(k * 4) : std::string());
            else if (k < 7 && target)
                target = base.substr(0, (k - 4) * 4) + (from.size() > (k - 4) * 4u ? from.substr((k - 4) * 4) : "");
        }
        held[found.copies.size()] = bytes;
        found.copies.push_back(c);
    }
    found.target_present = target.has_value();
    found.target_readable = target && next() % 8 != 0;
    if (found.target_readable) found.target_tag = content_tag(*target);
    for (std::size_t i = 0; i < found.copies.size(); ++i) {
        FoundCopy& c = found.copies[i];
        c.held_tag = content_tag(held[i]);
        const auto parsed = parse_in_place_copy(held[i]);
        c.parsed = c.readable && parsed.has_value();
        if (c.parsed && found.target_readable) {
            c.target_is_new = *target == parsed->content;
            c.target_is_base = *target == parsed->base;
            c.target_ours = left_by_in_place_write(*target, parsed->content, parsed->base);
        }
    }

    const RollPlan plan = plan_roll_forward(found);
    auto voided = [&](const FoundCopy& c) {
        for (const FoundCopy& v : found.copies)
            if (v.id.kind == CopyKind::Void && v.id.number == c.id.number) return true;
        return false;
    };
    std::map<std::size_t, bool> gone;
    bool whole_before = found.target_readable;  // a content that is not a change told failed
    for (const FoundCopy& c : found.copies)
        whole_before = whole_before || (c.readable && (c.id.kind == CopyKind::Old ||
                                                       (c.id.kind == CopyKind::New && !voided(c)) ||
                                                       (c.id.kind == CopyKind::InPlace && c.parsed && !voided(c))));
    bool put = false;
    for (const RollAction& a : plan.actions) {
        check(a.copy < found.copies.size() && !gone[a.copy], "an action on a copy that is gone");
        const FoundCopy& c = found.copies[a.copy];
        if (a.step == RollStep::Remove) {
            const bool whole = c.readable && (c.id.kind == CopyKind::New || c.id.kind == CopyKind::Old ||
                                              (c.id.kind == CopyKind::InPlace && (c.parsed || c.id.tag.empty())));
            check(!whole || voided(c) || target.has_value(), "a whole copy removed while the file is missing");
            check(!(c.parsed && c.target_ours && !c.target_is_new && !c.target_is_base && !put),
                  "the copy of a cut file removed");
        } else if (a.step == RollStep::PutInPlace) {
            check(!voided(c), "a change told failed was applied");
            const auto parsed = parse_in_place_copy(held[a.copy]);
            if (!target) {
                // The file moved away is the backup of the change's own
                // number, or the content every backup holds.
                bool own = false, all = true;
                for (std::size_t i = 0; i < found.copies.size(); ++i)
                    if (!gone[i] && found.copies[i].id.kind == CopyKind::Old) {
                        own = own || (found.copies[i].id.number == c.id.number && found.copies[i].held_tag == c.id.tag);
                        all = all && found.copies[i].held_tag == c.id.tag;
                    }
                check(own || all, "a copy put over another backup");
            } else if (c.id.kind == CopyKind::InPlace && parsed) {
                check(left_by_in_place_write(*target, parsed->content, parsed->base), "in place over another content");
            } else {
                check(!found.keep_existing && content_tag(*target) == c.id.tag, "a copy over another content");
            }
            target = c.id.kind == CopyKind::InPlace && parsed ? parsed->content : held[a.copy];
            put = true;
        } else {
            const auto parsed = parse_in_place_copy(held[a.copy]);
            const bool in_place = c.id.kind == CopyKind::InPlace && parsed && !c.id.tag.empty();
            check(!target || (in_place && left_by_in_place_write(*target, parsed->content, parsed->base)),
                  "a backup put over a file that is there");
            for (std::size_t i = 0; i < found.copies.size() && !in_place; ++i)
                if (!gone[i] && found.copies[i].id.kind == CopyKind::Old)
                    check(found.copies[i].held_tag == c.held_tag, "one of backups that differ put back");
            target = in_place ? parsed->base : held[a.copy];
            put = true;
        }
        gone[a.copy] = true;
    }
    if (plan.outcome != RollOutcome::Failed && whole_before) check(target.has_value(), "the file ended missing");
    return 0;
}
