// Expected sequences of events or messages, with optional entries, as Wine's
// message tests have them: an entry marked optional(...) may be there or not,
// at its place in the order; every other entry must come, in order, and
// nothing else may. Where a test used to drop an uncertain event before it
// compared, the table says where that event may come instead.
//
//   const tw_test::Table<std::string> want = {"msg:0x200", optional("REPAINT"), "SIZE"};
//   EXPECT_TRUE(tw_test::sequence_matches(got, want, text_of)) << "step " << step;
//
// A mismatch reports expected against actual, side by side.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace tw_test {

template <class T>
struct Optional {
    T value;
};

// Marks a table entry as optional.
template <class T>
Optional<std::decay_t<T>> optional(T&& value) {
    return {std::forward<T>(value)};
}

template <class T>
struct Entry {
    Entry(T v) : value(std::move(v)) {}
    template <class U>
        requires(std::is_constructible_v<T, U> && !std::is_same_v<std::decay_t<U>, T>)
    Entry(U&& v) : value(std::forward<U>(v)) {}
    template <class U>
    Entry(Optional<U> o) : value(std::move(o.value)), optional(true) {}

    T value;
    bool optional = false;
};

template <class T>
using Table = std::vector<Entry<T>>;

// The comparison on indices: `same(e, a)` tells whether expected entry e
// matches actual item a; the texts are for the report.
::testing::AssertionResult sequence_matches(const std::vector<std::string>& expected_texts,
                                            const std::vector<bool>& optional,
                                            const std::vector<std::string>& actual_texts,
                                            const std::function<bool(size_t, size_t)>& same);

template <class T, class Text>
::testing::AssertionResult sequence_matches(const std::vector<T>& actual, const Table<T>& expected, Text text) {
    std::vector<std::string> expected_texts, actual_texts;
    std::vector<bool> optional;
    for (const Entry<T>& e : expected) {
        expected_texts.push_back(text(e.value));
        optional.push_back(e.optional);
    }
    for (const T& a : actual) actual_texts.push_back(text(a));
    return sequence_matches(expected_texts, optional, actual_texts,
                            [&](size_t e, size_t a) { return expected[e].value == actual[a]; });
}

}  // namespace tw_test
