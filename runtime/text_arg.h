// A text argument: 8-bit bytes, taken from a std::string, a string_view or a C
// string. A missing (null) C string counts as the empty text. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tw {

class TextArg {
public:
    TextArg() = default;
    TextArg(std::nullptr_t) {}
    TextArg(const char* s) : view_(s ? std::string_view(s) : std::string_view()) {}
    TextArg(const std::string& s) : view_(s) {}
    TextArg(std::string_view s) : view_(s) {}

    std::string_view view() const { return view_; }
    std::string str() const { return std::string(view_); }
    std::size_t size() const { return view_.size(); }
    bool empty() const { return view_.empty(); }
    operator std::string_view() const { return view_; }

private:
    std::string_view view_;
};

}  // namespace tw
