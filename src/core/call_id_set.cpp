// The ordered set of call ids.
#include "core/call_id_set.h"

#include <cstdlib>
#include <cstring>

CallIdSet::~CallIdSet()
{
    free(ids_);
}

void CallIdSet::Swap(CallIdSet& other) noexcept
{
    int* ids = ids_;
    size_t count = count_, capacity = capacity_;
    ids_ = other.ids_;
    count_ = other.count_;
    capacity_ = other.capacity_;
    other.ids_ = ids;
    other.count_ = count;
    other.capacity_ = capacity;
}

size_t CallIdSet::Position(int id) const
{
    size_t low = 0, high = count_;
    while (low < high) {
        size_t middle = (low + high) / 2;
        if (ids_[middle] < id)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

bool CallIdSet::Contains(int id) const
{
    size_t at = Position(id);
    return at < count_ && ids_[at] == id;
}

void CallIdSet::Add(int id)
{
    size_t at = Position(id);
    if (at < count_ && ids_[at] == id)
        return;
    if (count_ == capacity_) {
        size_t capacity = capacity_ ? capacity_ * 2 : 8;
        int* grown = static_cast<int*>(realloc(ids_, capacity * sizeof *ids_));
        if (!grown)
            return; // out of memory: the id is not tracked
        ids_ = grown;
        capacity_ = capacity;
    }
    memmove(ids_ + at + 1, ids_ + at, (count_ - at) * sizeof *ids_);
    ids_[at] = id;
    ++count_;
}

void CallIdSet::Remove(int id)
{
    size_t at = Position(id);
    if (at == count_ || ids_[at] != id)
        return;
    memmove(ids_ + at, ids_ + at + 1, (count_ - at - 1) * sizeof *ids_);
    --count_;
}
