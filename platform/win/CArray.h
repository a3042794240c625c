// CArray: the dialog framework's growable array, as a value type over std::vector.
#pragma once

#include <cassert>
#include <cstddef>
#include <utility>
#include <vector>

using INT_PTR = std::ptrdiff_t;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(items_.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    bool IsEmpty() const { return items_.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }

    // nGrowBy is accepted for compatibility; std::vector already grows geometrically.
    void SetSize(INT_PTR newSize, INT_PTR nGrowBy = -1) {
        (void)nGrowBy;
        items_.resize(newSize < 0 ? 0 : static_cast<std::size_t>(newSize));
    }
    void RemoveAll() { items_.clear(); }
    void FreeExtra() { items_.shrink_to_fit(); }

    const TYPE& GetAt(INT_PTR i) const { return items_.at(Index(i)); }
    TYPE& GetAt(INT_PTR i) { return items_.at(Index(i)); }
    void SetAt(INT_PTR i, ARG_TYPE v) { items_.at(Index(i)) = v; }
    TYPE& ElementAt(INT_PTR i) { return items_.at(Index(i)); }
    const TYPE& operator[](INT_PTR i) const { return items_.at(Index(i)); }
    TYPE& operator[](INT_PTR i) { return items_.at(Index(i)); }
    const TYPE* GetData() const { return items_.data(); }
    TYPE* GetData() { return items_.data(); }

    // Like the framework, setting past the end grows the array.
    void SetAtGrow(INT_PTR i, ARG_TYPE v) {
        if (Index(i) >= items_.size()) items_.resize(Index(i) + 1);
        items_[Index(i)] = v;
    }
    INT_PTR Add(ARG_TYPE v) {
        items_.push_back(v);
        return GetSize() - 1;
    }
    INT_PTR Append(const CArray& other) {
        INT_PTR first = GetSize();
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return first;
    }
    void Copy(const CArray& other) { items_ = other.items_; }
    void InsertAt(INT_PTR i, ARG_TYPE v, INT_PTR count = 1) {
        if (Index(i) > items_.size()) items_.resize(Index(i));
        items_.insert(items_.begin() + i, static_cast<std::size_t>(count), v);
    }
    void InsertAt(INT_PTR start, const CArray* other) {
        if (Index(start) > items_.size()) items_.resize(Index(start));
        items_.insert(items_.begin() + start, other->items_.begin(), other->items_.end());
    }
    void RemoveAt(INT_PTR i, INT_PTR count = 1) {
        assert(i >= 0 && count >= 0 && Index(i + count) <= items_.size());
        items_.erase(items_.begin() + i, items_.begin() + i + count);
    }

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    static std::size_t Index(INT_PTR i) { return static_cast<std::size_t>(i); }
    std::vector<TYPE> items_;
};
