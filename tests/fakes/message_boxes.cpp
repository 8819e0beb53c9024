#include "tests/fakes/message_boxes.h"

namespace platform {

int MemoryMessageBoxes::Show(const std::string& text, const std::string& caption, unsigned style) {
  shown_.push_back({text, caption, style, {}});
  return NextAnswer();
}

int MemoryMessageBoxes::Choose(const std::string& text, const std::string& caption, unsigned icon,
                               const std::vector<Button>& buttons) {
  ShownBox box{text, caption, icon, {}};
  for (const Button& button : buttons) box.buttons.push_back(button.label);
  shown_.push_back(std::move(box));
  return NextAnswer();
}

int MemoryMessageBoxes::NextAnswer() {
  if (script_.empty()) return kIdFailed;
  Reply reply = std::move(script_.front());
  script_.pop_front();
  if (reply.before) reply.before();
  return reply.button;
}

}  // namespace platform
