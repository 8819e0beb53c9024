// In-memory message boxes for tests: answers come from a script the test
// gives, every box shown is recorded. An answer may first change the world,
// as a user would (closing AutoCAD before pressing Retry). When the script is
// used up, a box "cannot be shown" and Show returns kIdFailed.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace platform {

struct ShownBox {
  std::string text;
  std::string caption;
  unsigned style = 0;  // the icon alone for a box of choices
  std::vector<std::string> buttons;  // a box of choices' labels
};

class MemoryMessageBoxes : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned style) override;
  // Answered from the same script: the answer is a button's id.
  int Choose(const std::string& text, const std::string& caption, unsigned icon,
             const std::vector<Button>& buttons) override;

  void Answer(int button, std::function<void()> before = nullptr) { script_.push_back({button, std::move(before)}); }
  const std::vector<ShownBox>& shown() const { return shown_; }
  void Clear() {
    script_.clear();
    shown_.clear();
  }

 private:
  int NextAnswer();  // the script's next, after what it changes first
  struct Reply {
    int button;
    std::function<void()> before;
  };
  std::deque<Reply> script_;
  std::vector<ShownBox> shown_;
};

}  // namespace platform
