#include "prefs/portable/prefs_store.h"

#include "files/text.h"

namespace tw::prefs {

bool Store::open(std::string_view name) {
    close();
    std::string file_name(name);
    file_ = files_.open_existing(file_name, true);
    if (!file_) file_ = files_.open_existing(file_name, false);
    if (!file_) {
        // Writes are collected and the file is created when closing.
        pending_name_ = std::move(file_name);
        return false;
    }
    std::string bytes;
    if (!files_.read_all(file_, bytes)) {
        // Keep the file, but never overwrite content we could not read.
        unreadable_ = true;
        return false;
    }
    document_.load(std::move(bytes));
    return true;
}

bool Store::create(std::string_view name) {
    close();
    file_ = files_.create(std::string(name));
    return file_ != nullptr;
}

std::string Store::read_string(std::string_view key, std::string_view def) const {
    if (active()) {
        if (std::optional<std::string> value = document_.read_string(key)) return std::move(*value);
    }
    return std::string(def);
}

std::int32_t Store::read_int(std::string_view key, std::int32_t def) const {
    if (active()) {
        if (std::optional<std::int32_t> value = document_.read_int(key)) return *value;
    }
    return def;
}

void Store::write_string(std::string_view key, std::string_view value) {
    if (!active()) return;
    document_.write(key, value);
    modified_ = true;
}

void Store::write_int(std::string_view key, std::int32_t value) {
    write_string(key, int_to_text(value));
}

bool Store::close() {
    bool ok = true;
    if (modified_) {
        if (!file_ && pending_name_) file_ = files_.open_always(*pending_name_);
        if (!file_ || unreadable_) ok = false;
        else ok = files_.rewrite(file_, document_.serialize());
    }
    if (file_) files_.close(file_);
    file_ = nullptr;
    pending_name_.reset();
    unreadable_ = false;
    modified_ = false;
    document_.clear();
    return ok;
}

}  // namespace tw::prefs
