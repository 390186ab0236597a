// A table of at most `capacity` entries keyed by IPv4 address that makes
// room by dropping its least recently used entry, in constant time: the
// entries sit in one array, linked from most to least recently used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

template <class Value>
class LruTable {
public:
    // capacity: at least 1.
    explicit LruTable(size_t capacity) : capacity_(capacity ? capacity : 1)
    {
        nodes_.reserve(capacity_);
        index_.reserve(capacity_);
    }

    size_t Size() const { return nodes_.size(); }

    // The entry of key without changing the order; null when absent.
    Value* Peek(uint32_t key)
    {
        auto it = index_.find(key);
        return it == index_.end() ? nullptr : &nodes_[it->second].value;
    }

    // The entry of key, now the most recently used; null when absent.
    Value* Use(uint32_t key)
    {
        auto it = index_.find(key);
        if (it == index_.end())
            return nullptr;
        MoveToFront(it->second);
        return &nodes_[it->second].value;
    }

    // Sets key's entry and makes it the most recently used; a new key in a
    // full table takes the place of the least recently used one.
    Value& Put(uint32_t key, const Value& value)
    {
        if (Value* existing = Use(key))
            return *existing = value;
        size_t slot = nodes_.size();
        if (slot < capacity_) {
            nodes_.push_back({key, value, NONE, NONE});
        } else {
            slot = tail_;
            Unlink(slot);
            index_.erase(nodes_[slot].key);
            nodes_[slot].key = key;
            nodes_[slot].value = value;
        }
        index_[key] = slot;
        LinkFront(slot);
        return nodes_[slot].value;
    }

private:
    static constexpr size_t NONE = static_cast<size_t>(-1);
    struct Node {
        uint32_t key;
        Value value;
        size_t newer;
        size_t older;
    };

    void Unlink(size_t i)
    {
        Node& n = nodes_[i];
        (n.newer == NONE ? head_ : nodes_[n.newer].older) = n.older;
        (n.older == NONE ? tail_ : nodes_[n.older].newer) = n.newer;
        n.newer = n.older = NONE;
    }
    void LinkFront(size_t i)
    {
        nodes_[i].older = head_;
        (head_ == NONE ? tail_ : nodes_[head_].newer) = i;
        head_ = i;
    }
    void MoveToFront(size_t i)
    {
        if (i != head_) {
            Unlink(i);
            LinkFront(i);
        }
    }

    size_t capacity_;
    std::vector<Node> nodes_;
    std::unordered_map<uint32_t, size_t> index_;
    size_t head_ = NONE;   // most recently used
    size_t tail_ = NONE;   // least recently used
};
