#include "tests/common/sequence.h"

#include <algorithm>

namespace tw_test {

namespace {

struct Row {
    std::string expected;  // "-" where the side has nothing
    std::string actual;
    bool first_difference = false;
};

std::string report(const std::vector<Row>& rows) {
    size_t width = std::string("expected").size();
    for (const Row& r : rows) width = std::max(width, r.expected.size());
    auto line = [&](const std::string& mark, const std::string& left, const std::string& right) {
        return mark + left + std::string(width - left.size() + 3, ' ') + right + "\n";
    };
    std::string out =
        "\nthe sequence differs from its table (optional entries may be missing; > marks the first "
        "difference):\n";
    out += line("    ", "expected", "actual");
    for (const Row& r : rows) out += line(r.first_difference ? "  > " : "    ", r.expected, r.actual);
    return out;
}

}  // namespace

::testing::AssertionResult sequence_matches(const std::vector<std::string>& expected_texts,
                                            const std::vector<bool>& optional,
                                            const std::vector<std::string>& actual_texts,
                                            const std::function<bool(size_t, size_t)>& same) {
    const size_t n = expected_texts.size(), m = actual_texts.size();
    // how[e][a]: how the first e entries of the table came to account for
    // exactly the first a items (kNone: they cannot). An optional entry may
    // take an item or none, so a greedy walk is not enough ({optional X, X}
    // against {X}).
    enum How : char { kNone, kStart, kSkip, kTake };
    std::vector<std::vector<char>> how(n + 1, std::vector<char>(m + 1, kNone));
    how[0][0] = kStart;
    for (size_t e = 0; e < n; ++e)
        for (size_t a = 0; a <= m; ++a) {
            if (how[e][a] == kNone) continue;
            if (optional[e] && how[e + 1][a] == kNone) how[e + 1][a] = kSkip;
            if (a < m && how[e + 1][a + 1] == kNone && same(e, a)) how[e + 1][a + 1] = kTake;
        }
    if (how[n][m] != kNone) return ::testing::AssertionSuccess();

    // The furthest the table explains the items: the most items, then the
    // most entries.
    size_t best_e = 0, best_a = 0;
    for (size_t e = 0; e <= n; ++e)
        for (size_t a = 0; a <= m; ++a)
            if (how[e][a] != kNone && (a > best_a || (a == best_a && e > best_e))) best_e = e, best_a = a;

    auto entry = [&](size_t e) { return expected_texts[e] + (optional[e] ? " (optional)" : ""); };
    std::vector<Row> rows;
    for (size_t e = best_e, a = best_a; e > 0;) {
        if (how[e][a] == kTake) {
            rows.push_back({entry(e - 1), actual_texts[a - 1]});
            --a;
        } else {
            rows.push_back({entry(e - 1), "-"});
        }
        --e;
    }
    std::reverse(rows.begin(), rows.end());
    for (size_t e = best_e, a = best_a; e < n || a < m; ++e, ++a)
        rows.push_back({e < n ? entry(e) : "-", a < m ? actual_texts[a] : "-", e == best_e});
    return ::testing::AssertionFailure() << report(rows);
}

}  // namespace tw_test
