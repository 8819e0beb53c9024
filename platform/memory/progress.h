// A progress bar that records what it is sent, for tests. It behaves like the
// Windows control: range 0..100, step 10 and position 0 to begin with, a
// position set outside the range is pulled into it, and a step that passes
// the maximum wraps round into the range as comctl32 does:
// (position - minimum) mod (maximum - minimum) + minimum.
#pragma once

#include <algorithm>

#include "platform/progress.h"

namespace platform {

class MemoryProgressBar : public ProgressBar {
 public:
  void SetRange(int minimum, int maximum) override {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
  }
  void SetStep(int step) override { step_ = step; }
  void SetPos(int position) override { position_ = std::clamp(position, minimum_, maximum_); }
  void StepIt() override {
    ++steps_;
    if (maximum_ == minimum_) return;
    position_ += step_;
    if (position_ > maximum_) {
      position_ = (position_ - minimum_) % (maximum_ - minimum_) + minimum_;
      ++wraps_;
    }
  }
  int GetPos() override { return position_; }
  int GetMaximum() override { return maximum_; }

  int steps() const { return steps_; }  // StepIt calls received
  int wraps() const { return wraps_; }  // of those, how many passed the maximum

 private:
  int minimum_ = 0;
  int maximum_ = 100;
  int step_ = 10;
  int position_ = 0;
  int steps_ = 0;
  int wraps_ = 0;
};

}  // namespace platform
