#pragma once
// AcArray: the host's growable array (value semantics), with the host's int indices.
#include <algorithm>
#include <cassert>
#include <vector>

template <class T>
class AcArray {
public:
    AcArray() = default;
    explicit AcArray(int physicalLength, int growLength = 8) : grow_(growLength) {
        items_.reserve(physicalLength > 0 ? static_cast<size_t>(physicalLength) : 0);
    }

    int length() const { return static_cast<int>(items_.size()); }
    int logicalLength() const { return length(); }
    int physicalLength() const { return static_cast<int>(items_.capacity()); }
    int growLength() const { return grow_; }
    bool isEmpty() const { return items_.empty(); }
    bool isValid(int i) const { return i >= 0 && i < length(); }

    T& operator[](int i) { assert(isValid(i)); return items_[static_cast<size_t>(i)]; }
    const T& operator[](int i) const { assert(isValid(i)); return items_[static_cast<size_t>(i)]; }
    T& at(int i) { return (*this)[i]; }
    const T& at(int i) const { return (*this)[i]; }
    T& first() { return (*this)[0]; }
    const T& first() const { return (*this)[0]; }
    T& last() { return (*this)[length() - 1]; }
    const T& last() const { return (*this)[length() - 1]; }
    AcArray& setAt(int i, const T& value) { (*this)[i] = value; return *this; }
    T* asArrayPtr() { return items_.data(); }
    const T* asArrayPtr() const { return items_.data(); }

    // Returns the index of the new element.
    int append(const T& value) { items_.push_back(value); return length() - 1; }
    AcArray& append(const AcArray& other) {
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return *this;
    }
    // Inserting at length() appends.
    AcArray& insertAt(int i, const T& value) {
        assert(i >= 0 && i <= length());
        items_.insert(items_.begin() + i, value);
        return *this;
    }
    AcArray& removeAt(int i) { assert(isValid(i)); items_.erase(items_.begin() + i); return *this; }
    // Removes the first element equal to value at or after start; false when there is none.
    bool remove(const T& value, int start = 0) {
        int i = findFrom(value, start);
        if (i < 0) return false;
        removeAt(i);
        return true;
    }
    AcArray& removeFirst() { return removeAt(0); }
    AcArray& removeLast() { assert(!isEmpty()); items_.pop_back(); return *this; }
    AcArray& removeAll() { items_.clear(); return *this; }
    // Removes elements start..end inclusive.
    AcArray& removeSubArray(int start, int end) {
        assert(isValid(start) && isValid(end) && start <= end);
        items_.erase(items_.begin() + start, items_.begin() + end + 1);
        return *this;
    }

    bool contains(const T& value, int start = 0) const { return findFrom(value, start) >= 0; }
    bool find(const T& value, int& foundAt, int start = 0) const {
        int i = findFrom(value, start);
        if (i < 0) return false;
        foundAt = i;
        return true;
    }
    int find(const T& value) const { return findFrom(value, 0); }
    int findFrom(const T& value, int start) const {
        for (int i = std::max(start, 0); i < length(); ++i)
            if (items_[static_cast<size_t>(i)] == value) return i;
        return -1;
    }

    AcArray& setLogicalLength(int n) { items_.resize(n > 0 ? static_cast<size_t>(n) : 0); return *this; }
    AcArray& setPhysicalLength(int n) {
        size_t want = n > 0 ? static_cast<size_t>(n) : 0;
        if (want < items_.size()) items_.resize(want);
        items_.reserve(want);
        return *this;
    }
    AcArray& setGrowLength(int n) { grow_ = n; return *this; }
    AcArray& reverse() { std::reverse(items_.begin(), items_.end()); return *this; }
    AcArray& swap(int i, int j) { std::swap((*this)[i], (*this)[j]); return *this; }

    bool operator==(const AcArray& other) const {
        if (length() != other.length()) return false;
        for (int i = 0; i < length(); ++i)
            if (!(items_[static_cast<size_t>(i)] == other.items_[static_cast<size_t>(i)])) return false;
        return true;
    }
    bool operator!=(const AcArray& other) const { return !(*this == other); }

    // For range-for and standard algorithms.
    typename std::vector<T>::iterator begin() { return items_.begin(); }
    typename std::vector<T>::iterator end() { return items_.end(); }
    typename std::vector<T>::const_iterator begin() const { return items_.begin(); }
    typename std::vector<T>::const_iterator end() const { return items_.end(); }

private:
    std::vector<T> items_;
    int grow_ = 8;
};
