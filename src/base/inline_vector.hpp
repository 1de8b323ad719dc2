// InlineVector: a sequence of plain values that keeps its first N in place and goes to the heap
// only beyond them. The lists a worksheet call makes (the matches of a short text, an array's
// one or two dimensions) are short and made on every call, so most never allocate.
//
//   InlineVector<ArrayBound, 2> bounds;
//   bounds.push_back({1, 10});
//   for (const ArrayBound& bound : bounds) use(bound);
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

namespace kestrune {

template <class T, std::size_t N>
class InlineVector {
  static_assert(std::is_trivially_copyable_v<T>, "kept in place and copied as values");

 public:
  // The room in place is neither built nor cleared: a list made on every call is mostly short,
  // and clearing all of it would cost more than filling what is used.
  InlineVector() {}
  // Copies only the values that are set.
  InlineVector(const InlineVector& other) : size_(other.size_), on_heap_(other.on_heap_) {
    copy_in_place(other);
  }
  InlineVector(InlineVector&& other) noexcept
      : size_(other.size_), on_heap_(std::move(other.on_heap_)) {
    copy_in_place(other);
  }
  InlineVector& operator=(const InlineVector& other) {
    if (this != &other) {
      size_ = other.size_;
      on_heap_ = other.on_heap_;
      copy_in_place(other);
    }
    return *this;
  }
  InlineVector& operator=(InlineVector&& other) noexcept {
    if (this != &other) {
      size_ = other.size_;
      on_heap_ = std::move(other.on_heap_);
      copy_in_place(other);
    }
    return *this;
  }
  ~InlineVector() = default;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T* data() const { return size_ <= N ? in_place_.data() : on_heap_.data(); }
  T* data() { return size_ <= N ? in_place_.data() : on_heap_.data(); }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size_; }
  const T& operator[](std::size_t i) const { return data()[i]; }
  T& operator[](std::size_t i) { return data()[i]; }

  void reserve(std::size_t count) {
    if (count > N) on_heap_.reserve(count);
  }
  void push_back(const T& value) {
    if (size_ < N) {
      in_place_[size_++] = value;
      return;
    }
    if (size_ == N) on_heap_.assign(in_place_.begin(), in_place_.end());
    on_heap_.push_back(value);
    ++size_;
  }

 private:
  void copy_in_place(const InlineVector& other) {
    if (size_ <= N) std::copy_n(other.in_place_.data(), size_, in_place_.data());
  }

  std::size_t size_ = 0;
  union {
    std::array<T, N> in_place_;  // the first size_ are set
  };
  std::vector<T> on_heap_;  // all the values, once there are more than N
};

}  // namespace kestrune
