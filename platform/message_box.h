// Message-box service. Boxes are owned by the thread's active window or, while
// another program is active, by the window of ours last active (the setup
// dialog, or the folder browser over it): never by none.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Styles (MB_*).
constexpr unsigned kMbOk = 0x00;
constexpr unsigned kMbAbortRetryIgnore = 0x02;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbIconWarning = 0x30;   // MB_ICONEXCLAMATION
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconInformation = 0x40;

// Buttons (ID*); 0 means the box could not be shown.
constexpr int kIdFailed = 0;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // Shows `text` with `caption` and `style` and returns the button pressed, or
  // kIdFailed when the box could not be shown.
  virtual int Show(const std::string& text, const std::string& caption, unsigned style) = 0;

  // A box whose buttons say what they do: `buttons` from left to right, the
  // first the default, each answering its own `id`. `icon` is one of the
  // kMbIcon styles. Closing the box answers kIdCancel; kIdFailed when it
  // could not be shown.
  struct Button {
    int id;
    std::string label;
  };
  virtual int Choose(const std::string& text, const std::string& caption, unsigned icon,
                     const std::vector<Button>& buttons) = 0;
};

MessageBoxes& GetMessageBoxes();

}  // namespace platform
