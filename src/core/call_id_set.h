// An ordered set of distinct call ids.
#pragma once
#include <cstddef>

// A sorted array on the C heap: the program links no C++ containers (they alone would
// triple the size of the executable). A handful of ids at a time is the normal case.
class CallIdSet {
public:
    CallIdSet() = default;
    CallIdSet(const CallIdSet&) = delete;
    CallIdSet& operator=(const CallIdSet&) = delete;
    CallIdSet(CallIdSet&& other) noexcept { Swap(other); }
    CallIdSet& operator=(CallIdSet&& other) noexcept
    {
        Swap(other);
        return *this;
    }
    ~CallIdSet();

    void Add(int id);      // no effect when present
    void Remove(int id);   // no effect when absent
    bool Contains(int id) const;
    bool IsEmpty() const { return count_ == 0; }
    size_t Count() const { return count_; }
    int Highest() const { return count_ ? ids_[count_ - 1] : 0; } // 0 when empty
    int At(size_t index) const { return ids_[index]; }            // ascending, index < Count()
    void Clear() { count_ = 0; }

private:
    void Swap(CallIdSet& other) noexcept;
    size_t Position(int id) const; // where `id` is or would be inserted

    int* ids_ = nullptr;
    size_t count_ = 0;
    size_t capacity_ = 0;
};
