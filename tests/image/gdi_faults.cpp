#include "tests/image/gdi_faults.h"

#include "runtime/gdi_calls.h"

namespace gdi_faults {
namespace {

long g_count = 0, g_at = 0;
bool g_fired = false;
std::vector<std::string> g_names;

bool fails(tw::PlatformCall call) {
    g_names.emplace_back(tw::platform_call_name(call));
    if (++g_count != g_at) return false;
    g_fired = true;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return true;
}

// Every GDI call: counted, and failing when its turn has come with what the
// platform returns on a failure. The releasing calls fail too, but still
// release: the platform gives the object up.
template <tw::PlatformCall C, class R, class... A>
R WINAPI failing(A... a) {
    using tw::PlatformCall;
    constexpr bool releases = C == PlatformCall::DeleteDC || C == PlatformCall::DeleteObject ||
                              C == PlatformCall::DestroyIcon || C == PlatformCall::ReleaseDC;
    const auto real = tw::system_platform_calls().*tw::PlatformCallEntry<C>::field;
    const bool failed = fails(C);
    if constexpr (releases)
        return real(a...) && !failed;
    else
        return failed ? tw::PlatformCallEntry<C>::failure() : real(a...);
}

}  // namespace

void install() {
#define TW_FAILING(name, ...) tw::gdi::gdi_calls().name = failing<tw::PlatformCall::name>;
    TW_GDI_CALLS(TW_FAILING)
#undef TW_FAILING
}
void remove() {
#define TW_RESET(name, ...) tw::platform_call_reset(tw::PlatformCall::name);
    TW_GDI_CALLS(TW_RESET)
#undef TW_RESET
}
void arm(long at) {
    g_count = 0;
    g_at = at;
    g_fired = false;
    g_names.clear();
}
const std::vector<std::string>& call_names() { return g_names; }
bool fired() { return g_fired; }

}  // namespace gdi_faults
