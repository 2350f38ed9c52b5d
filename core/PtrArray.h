#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

// A list of owned elements. Slots hold owning pointers, so elements keep their
// address while the list grows. A sized list has exactly its count of slots,
// and a reserved one at least what was reserved; an append onto a full list
// grows it geometrically, so that n appends cost time linear in n whether or
// not the count was known. Copies are deep.
template <typename T>
class PtrArray {
public:
    PtrArray() = default;
    PtrArray(const PtrArray& other) { copyFrom(other); }
    PtrArray(PtrArray&&) noexcept = default;
    PtrArray& operator=(const PtrArray& other) {
        if (this != &other) {
            clear();
            copyFrom(other);
        }
        return *this;
    }
    PtrArray& operator=(PtrArray&&) noexcept = default;
    ~PtrArray() = default;

    // n default-constructed (zero-filled) elements; count = capacity = n.
    static PtrArray sized(std::uint32_t n) {
        PtrArray list;
        list.slots_.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            list.slots_.push_back(std::make_unique<T>());
        }
        return list;
    }

    // Room for n slots (exactly n when the list has fewer), count unchanged.
    void reserve(std::uint32_t n) { slots_.reserve(n); }

    // Appends a default element, growing the slots geometrically when full.
    T& append() { return append(T{}); }
    T& append(T value) {
        if (slots_.size() >= std::numeric_limits<std::uint32_t>::max()) {
            throw std::length_error("list longer than 4 Gi elements");
        }
        slots_.push_back(std::make_unique<T>(std::move(value)));
        return *slots_.back();
    }

    // Gives up slots beyond the count.
    void trim() { slots_.shrink_to_fit(); }

    void clear() {
        slots_.clear();
        slots_.shrink_to_fit();
    }

    std::uint32_t count() const { return static_cast<std::uint32_t>(slots_.size()); }
    std::uint32_t capacity() const { return static_cast<std::uint32_t>(slots_.capacity()); }
    bool empty() const { return slots_.empty(); }

    T& operator[](std::uint32_t i) { return *slots_[i]; }
    const T& operator[](std::uint32_t i) const { return *slots_[i]; }

    // Iteration over the elements themselves.
    template <typename Slot, typename Elem>
    class Iter {
    public:
        explicit Iter(Slot* slot) : slot_(slot) {}
        Elem& operator*() const { return **slot_; }
        Elem* operator->() const { return slot_->get(); }
        Iter& operator++() {
            ++slot_;
            return *this;
        }
        bool operator==(const Iter& other) const { return slot_ == other.slot_; }

    private:
        Slot* slot_;
    };
    using iterator = Iter<std::unique_ptr<T>, T>;
    using const_iterator = Iter<const std::unique_ptr<T>, const T>;
    iterator begin() { return iterator(slots_.data()); }
    iterator end() { return iterator(slots_.data() + slots_.size()); }
    const_iterator begin() const { return const_iterator(slots_.data()); }
    const_iterator end() const { return const_iterator(slots_.data() + slots_.size()); }

protected:
    void copyFrom(const PtrArray& other) {
        slots_.reserve(other.slots_.size());
        for (const auto& slot : other.slots_) {
            slots_.push_back(std::make_unique<T>(*slot));
        }
    }

    std::vector<std::unique_ptr<T>> slots_;
};
