#include "tests/fakes/message_boxes.h"

namespace platform {

int MemoryMessageBoxes::Show(const std::string& text, const std::string& caption, unsigned style) {
  shown_.push_back({text, caption, style});
  if (script_.empty()) return kIdFailed;
  Reply reply = std::move(script_.front());
  script_.pop_front();
  if (reply.before) reply.before();
  return reply.button;
}

}  // namespace platform
