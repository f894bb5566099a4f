// Counts of the platform resources the libraries make and release themselves:
// bitmaps, device contexts, brushes, fonts, icons, clip regions, loaded
// modules and shell item lists. Each creating call and each releasing call
// is counted beside it, so a test sees a leak on any path even where the
// platform keeps no count of its own (Wine's GetGuiResources answers 0).
// Portable.
#pragma once

#include <atomic>
#include <cstddef>

namespace tw {

enum class Resource { Bitmap, DeviceContext, Brush, Font, Icon, Region, Module, ItemList, Count };

namespace detail {
inline std::atomic<long> g_resources[static_cast<std::size_t>(Resource::Count)];
}

// A resource was made (when `made` holds: pass the creating call's result).
template <class T>
inline T counted(Resource kind, T made) {
    if (made) detail::g_resources[static_cast<std::size_t>(kind)].fetch_add(1);
    return made;
}
inline void resource_released(Resource kind) { detail::g_resources[static_cast<std::size_t>(kind)].fetch_sub(1); }
// Made and not yet released.
inline long resources_held(Resource kind) { return detail::g_resources[static_cast<std::size_t>(kind)].load(); }

}  // namespace tw
