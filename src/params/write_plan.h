#pragma once
// The order in which a full PC-to-box write sends the parameters, one step at a time. The full
// write walks it, and the write of differences walks it too, sending only the steps that
// differ, so both send what they share in the same order with the same reports.
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "params/param_table.h"

namespace ax7 {

struct WriteStep {
  enum class Kind : uint8_t {
    Param,    // one instance of a parameter
    Routing,  // both group words of one microphone input, which travel together
    Master,   // a master volume: sent only with soft start, at the end of the write
  };
  Kind kind = Kind::Param;
  Param param{};
  int instance = 0;
};

const std::vector<WriteStep>& FullWritePlan();

// A few items held in place: the write of differences asks for every step's words several times
// a write, and a heap list each time cost more than the comparisons it served.
template <typename T, size_t N>
class StepList {
 public:
  StepList() = default;
  StepList(std::initializer_list<T> items) {
    for (const T& item : items) push_back(item);
  }
  void push_back(const T& item) {
    assert(size_ < N);
    items_[size_++] = item;
  }
  void resize(size_t n) {
    assert(n <= size_);
    size_ = n;
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T* data() const { return items_.data(); }
  const T* begin() const { return items_.data(); }
  const T* end() const { return items_.data() + size_; }
  const T& operator[](size_t i) const { return items_[i]; }

 private:
  std::array<T, N> items_{};
  size_t size_ = 0;
};

// PC words a step's reports are made from (and that its send may fix up).
using StepWordList = StepList<int, 4>;
StepWordList StepWords(const WriteStep& step);
// Box memory (address, length) a step owns besides its words: a channel's split records travel
// with its delay mode, the channel's entry of the room trim block with its trim.
using StepByteRanges = StepList<std::pair<int, int>, 2>;
StepByteRanges StepBoxBytes(const WriteStep& step);

}  // namespace ax7
