#include "runtime/runtime.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> released;

struct Thing {
    int handle = 0;
    bool in_use() const { return handle != 0; }
    void release() {
        released.push_back(handle);
        handle = 0;
    }
};

TEST(ObjectTable, GrowsToNumberPlusStepAndFreesTheOldObjectOnReuse) {
    released.clear();
    tw::ObjectTable<Thing> table;
    EXPECT_EQ(table.size(), 16u);
    EXPECT_EQ(table.find(3), nullptr);
    EXPECT_EQ(table.find(1000), nullptr);

    table.prepare(3)->handle = 33;
    ASSERT_NE(table.find(3), nullptr);
    EXPECT_EQ(table.find(3)->handle, 33);

    table.prepare(20)->handle = 20;
    EXPECT_EQ(table.size(), 36u);
    EXPECT_EQ(table.number_of(table.find(20)), 20);

    table.prepare(3)->handle = 34;  // same number: the first object is freed first
    EXPECT_EQ(released, std::vector<int>{33});
    EXPECT_EQ(table.find(3)->handle, 34);

    Thing* empty = table.prepare(5);  // a slot counts as occupied only with a handle
    EXPECT_EQ(table.find(5), nullptr);
    table.discard(empty);

    table.free(3);
    EXPECT_EQ(table.find(3), nullptr);
    table.free(3);  // freeing an empty number does nothing
    EXPECT_EQ(released, (std::vector<int>{33, 34}));
}

TEST(ObjectTable, ControlTablesGrowInStepsOfFifty) {
    tw::ObjectTable<Thing> table(50);
    EXPECT_EQ(table.size(), 50u);
    table.prepare(50)->handle = 1;
    EXPECT_EQ(table.size(), 100u);
}

TEST(ObjectTable, DynamicObjectsAreNumberedByTheirAddress) {
    released.clear();
    tw::ObjectTable<Thing> table;
    Thing* obj = table.prepare(tw::kDynamicNumber);
    obj->handle = 7;
    intptr_t number = table.number_of(obj);
    EXPECT_EQ(number, reinterpret_cast<intptr_t>(obj));
    EXPECT_EQ(table.find(number), obj);
    EXPECT_EQ(table.prepare(-2), nullptr);

    table.prepare(0)->handle = 1;
    int seen = 0;
    table.for_each([&](intptr_t, Thing&) { ++seen; });
    EXPECT_EQ(seen, 2);
    table.free_all();
    EXPECT_EQ(table.find(number), nullptr);
    EXPECT_EQ(table.find(0), nullptr);
    EXPECT_EQ(released.size(), 2u);
}

TEST(TextArg, NullCountsAsEmpty) {
    const char* none = nullptr;
    tw::TextArg a(none);
    EXPECT_TRUE(a.empty());
    tw::TextArg b(nullptr);
    EXPECT_EQ(b.str(), "");
    std::string s("ab\0c", 4);
    EXPECT_EQ(tw::TextArg(s).size(), 4u);
}

}  // namespace
