#include "prefs/portable/prefs_store.h"

#include "text/text.h"

namespace tw::prefs {

bool Store::open(std::string_view name) {
    close();
    std::string file_name(name);
    file_ = files_.open_existing(file_name, true);
    writable_ = file_ != nullptr;
    if (!file_) file_ = files_.open_existing(file_name, false);
    if (!file_) {
        if (files_.present(file_name)) {
            // There, but another program keeps it from us: it stays as it is,
            // whatever is written.
            unreadable_ = true;
            return false;
        }
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
    name_ = std::move(file_name);
    document_.load(std::move(bytes));
    return true;
}

bool Store::create(std::string_view name) {
    close();
    // The old file stays as it is until the new content is complete.
    replacement_ = files_.begin_replace(std::string(name));
    return replacement_ != nullptr;
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
    if (replacement_) {
        // A created file gets its content even when nothing was written.
        ok = files_.finish_replace(replacement_, document_.serialize());
        replacement_ = nullptr;
    } else if (modified_) {
        if (unreadable_ || (file_ && !writable_)) {
            ok = false;  // never overwrite what could not be read, nor a file opened read-only
        } else {
            const std::string name = file_ ? name_ : pending_name_.value_or(std::string());
            if (file_) files_.close(file_);
            file_ = nullptr;
            FileAccess::Handle replacement = files_.begin_replace(name);
            ok = replacement && files_.finish_replace(replacement, document_.serialize());
        }
    }
    if (file_) files_.close(file_);
    file_ = nullptr;
    name_.clear();
    writable_ = false;
    pending_name_.reset();
    unreadable_ = false;
    modified_ = false;
    document_.clear();
    return ok;
}

}  // namespace tw::prefs
