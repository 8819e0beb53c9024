#include "platform/memory/message_box.h"

#include "platform/defaults.h"

namespace platform {

int MemoryMessageBoxes::Show(const std::string& text, const std::string& caption, unsigned style) {
  shown_.push_back({text, caption, style});
  if (answers_.empty()) return kIdFailed;
  int button = answers_.front();
  answers_.pop_front();
  return button;
}

#ifndef _WIN32
MessageBoxes& DefaultMessageBoxes() {
  static MemoryMessageBoxes boxes;
  return boxes;
}
#endif

}  // namespace platform
