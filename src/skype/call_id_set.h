// An ordered set of distinct call ids.
#pragma once
#include <set>

class CallIdSet {
public:
    void Add(int id) { ids_.insert(id); }
    void Remove(int id) { ids_.erase(id); }
    bool Contains(int id) const { return ids_.count(id) != 0; }
    bool IsEmpty() const { return ids_.empty(); }
    size_t Count() const { return ids_.size(); }
    void Clear() { ids_.clear(); }
    // The highest id, or 0 when empty.
    int Highest() const { return ids_.empty() ? 0 : *ids_.rbegin(); }

private:
    std::set<int> ids_;
};
