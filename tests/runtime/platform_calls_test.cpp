#include "runtime/gdi_calls.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

// The defaults are bound by name, which the compiler checks; &::CreateFileA
// is no value to compare them with (the compiler gives the program's import
// stub in one place, the DLL's address in another).
TEST(PlatformCalls, EachCallHasItsOwnNameAndBeginsAsThePlatformsFunction) {
    tw::gdi::gdi_calls();  // the graphics calls come in on the first one made
    const std::set<std::string> names(std::begin(tw::kPlatformCallNames), std::end(tw::kPlatformCallNames));
    EXPECT_EQ(names.size(), tw::kPlatformCallCount);
#define TW_CHECK(name, ...)                                                  \
    EXPECT_STREQ(tw::platform_call_name(tw::PlatformCall::name), #name);     \
    EXPECT_NE(tw::system_platform_calls().name, nullptr) << #name;           \
    EXPECT_EQ(tw::platform_calls().name, tw::system_platform_calls().name) << #name;
    TW_PLATFORM_CALLS(TW_CHECK)
#undef TW_CHECK
}

TEST(PlatformCalls, AResetPutsBackOnlyTheCallItNames) {
    tw::PlatformCalls& calls = tw::platform_calls();
    const tw::PlatformCalls& system = tw::system_platform_calls();
    calls.CloseHandle = calls.FlushFileBuffers = [](HANDLE) -> BOOL { return FALSE; };
    tw::platform_call_reset(tw::PlatformCall::CloseHandle);
    EXPECT_EQ(calls.CloseHandle, system.CloseHandle);
    EXPECT_NE(calls.FlushFileBuffers, system.FlushFileBuffers);
    tw::platform_calls_reset();
    EXPECT_EQ(calls.FlushFileBuffers, system.FlushFileBuffers);
}
