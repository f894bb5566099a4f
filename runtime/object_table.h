// Numbered object tables: one per kind of runtime object (files, scans, images,
// windows, controls, fonts). Portable: no Windows header.
//
// A table starts with `step` empty slots and grows to number + step when a number
// at or beyond its size is used. A slot is occupied while its object reports
// in_use() (that is, while its platform handle is not 0). Creating under a used
// number frees the old object first. The number -1 asks for a dynamic object
// whose own address serves as its number.
//
// T must provide:   bool in_use() const;   void release();
// release() frees everything the object holds and leaves in_use() false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace tw {

inline constexpr intptr_t kDynamicNumber = -1;

template <class T>
class ObjectTable {
public:
    explicit ObjectTable(std::size_t step = 16) : step_(step), slots_(step) {}
    ObjectTable(const ObjectTable&) = delete;
    ObjectTable& operator=(const ObjectTable&) = delete;
    ~ObjectTable() { free_all(); }

    // The object under `number`, or nullptr when no object of this kind is there.
    T* find(intptr_t number) {
        if (number >= 0 && static_cast<std::size_t>(number) < slots_.size()) {
            T* obj = slots_[static_cast<std::size_t>(number)].get();
            return obj && obj->in_use() ? obj : nullptr;
        }
        if (dynamic_.empty()) return nullptr;
        auto it = dynamic_.find(number);
        if (it == dynamic_.end() || !it->second->in_use()) return nullptr;
        return it->second.get();
    }

    // A fresh, empty object for `number`: the old one there is released first,
    // the table grows when needed. For kDynamicNumber a new object is made whose
    // address is its number (see number_of). Returns nullptr for other negative
    // numbers. When the creation then fails, call discard().
    T* prepare(intptr_t number) {
        if (number == kDynamicNumber) {
            auto obj = std::make_unique<T>();
            T* raw = obj.get();
            dynamic_[reinterpret_cast<intptr_t>(raw)] = std::move(obj);
            return raw;
        }
        if (number < 0) return nullptr;
        auto index = static_cast<std::size_t>(number);
        if (index >= slots_.size()) slots_.resize(index + step_);
        auto& slot = slots_[index];
        if (slot && slot->in_use()) slot->release();
        slot = std::make_unique<T>();
        return slot.get();
    }

    // The number under which `obj` lives (its address for a dynamic object).
    intptr_t number_of(const T* obj) const {
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].get() == obj) return static_cast<intptr_t>(i);
        return reinterpret_cast<intptr_t>(obj);
    }

    // Gives up an object returned by prepare() whose creation failed.
    void discard(T* obj) {
        if (!obj) return;
        if (obj->in_use()) obj->release();
        dynamic_.erase(reinterpret_cast<intptr_t>(obj));
        for (auto& slot : slots_)
            if (slot.get() == obj) slot.reset();
    }

    // Frees the object under `number`; does nothing when there is none.
    void free(intptr_t number) {
        if (T* obj = find(number)) discard(obj);
    }

    void free_all() {
        for (auto& slot : slots_) {
            if (slot && slot->in_use()) slot->release();
            slot.reset();
        }
        for (auto& entry : dynamic_)
            if (entry.second->in_use()) entry.second->release();
        dynamic_.clear();
    }

    // Calls f(number, T&) for every occupied slot, numbered ones first.
    template <class F>
    void for_each(F&& f) {
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i] && slots_[i]->in_use()) f(static_cast<intptr_t>(i), *slots_[i]);
        for (auto& entry : dynamic_)
            if (entry.second->in_use()) f(entry.first, *entry.second);
    }

    std::size_t size() const { return slots_.size(); }

private:
    std::size_t step_;
    std::vector<std::unique_ptr<T>> slots_;
    std::map<intptr_t, std::unique_ptr<T>> dynamic_;
};

}  // namespace tw
