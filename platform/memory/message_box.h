// In-memory message boxes for tests: answers come from a script the test
// gives, every box shown is recorded. When the script is used up, a box
// "cannot be shown" and Show returns kIdFailed.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace platform {

struct ShownBox {
  std::string text;
  std::string caption;
  unsigned style = 0;
};

class MemoryMessageBoxes : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned style) override;

  void Answer(int button) { answers_.push_back(button); }
  const std::vector<ShownBox>& shown() const { return shown_; }
  void Clear() { answers_.clear(); shown_.clear(); }

 private:
  std::deque<int> answers_;
  std::vector<ShownBox> shown_;
};

}  // namespace platform
