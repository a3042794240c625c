// The engine's integer-keyed registries: 17 buckets chosen by key >> 4, walked bucket by bucket
// and, inside a bucket, in insertion order. The walking order decides which item a tick serves
// first and which earlier item a new one on the same entity copies its saved look from, so it
// must stay as it is.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace NUV {

template <class V>
class IntRegistry {
public:
    V* find(int key) {
        for (Entry& e : buckets_[Bucket(key)])
            if (e.key == key) return &e.value;
        return nullptr;
    }
    bool contains(int key) const {
        for (const Entry& e : buckets_[Bucket(key)])
            if (e.key == key) return true;
        return false;
    }
    void set(int key, V value) {
        if (V* v = find(key)) {
            *v = std::move(value);
            return;
        }
        buckets_[Bucket(key)].push_back({key, std::move(value)});
        ++size_;
    }
    bool erase(int key) {
        auto& b = buckets_[Bucket(key)];
        for (size_t i = 0; i < b.size(); ++i) {
            if (b[i].key == key) {
                b.erase(b.begin() + static_cast<std::ptrdiff_t>(i));
                --size_;
                return true;
            }
        }
        return false;
    }
    void clear() {
        for (auto& b : buckets_) b.clear();
        size_ = 0;
    }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Calls fn(key, value&) for every entry in walking order; fn must not add or remove entries.
    template <class F>
    void forEach(F&& fn) {
        for (auto& b : buckets_)
            for (Entry& e : b) fn(e.key, e.value);
    }

private:
    static constexpr unsigned kBuckets = 17;
    struct Entry {
        int key;
        V value;
    };
    static size_t Bucket(int key) { return (static_cast<unsigned>(key) >> 4) % kBuckets; }

    std::vector<Entry> buckets_[kBuckets];
    size_t size_ = 0;
};

}  // namespace NUV
