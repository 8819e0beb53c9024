#include "install/path_rules.h"

#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/message_box.h"

namespace {

bool IsEdgeByte(char c) { return c == '\t' || c == ' ' || c == '.'; }

bool IsForbiddenByte(char c) { return c != '\0' && std::strchr("\"*/:<>?\\|", c) != nullptr; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The framework's default message caption: the program's file name without
// its extension ("SetUp" for SetUp.exe). A full stop is never the second byte
// of a GBK character, so the last one ends the name.
std::string ApplicationTitle() {
  const std::string name = mbcs::FileNameOf(platform::GetFiles().ModulePath());
  return name.substr(0, name.rfind('.'));
}

std::string FolderMessage(const std::string& path, const char* tail) {
  return "The folder:\n\n" + path + "\n\n" + tail;
}

}  // namespace

int IsValidPathComponent(const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  const std::size_t length = std::strlen(name);
  if (IsEdgeByte(name[0]) || IsEdgeByte(name[length - 1])) return 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (IsForbiddenByte(name[i])) return 0;
  }
  return 1;
}

int BuildFolderPath(const char* path, int validateOnly) {
  if (path == nullptr) return kPathInvalid;
  const std::size_t length = std::strlen(path);
  if (length >= kFolderPathBufferSize) return kPathInvalid;
  char work[kFolderPathBufferSize];
  std::memcpy(work, path, length + 1);

  if (length < 3) return kPathInvalid;
  if (!IsDriveLetter(work[0]) || work[1] != ':' || work[2] != '\\') return kPathInvalid;
  platform::Files& files = platform::GetFiles();
  if (length == 3) {
    if (validateOnly) return kPathOk;
    return files.Exists(work) ? kPathOk : kPathNotCreated;
  }

  // A doubled or trailing backslash leaves an empty name, which no name rule
  // accepts.
  std::size_t nameStart = 3;
  for (;;) {
    std::size_t nameEnd = nameStart;
    while (work[nameEnd] != '\0' && work[nameEnd] != '\\') ++nameEnd;
    const bool last = work[nameEnd] == '\0';
    work[nameEnd] = '\0';
    if (!IsValidPathComponent(work + nameStart)) return kPathInvalid;
    if (!validateOnly) {
      files.CreateDirectory(work);  // an existing level is no error: only existence counts
      if (!files.Exists(work)) return kPathNotCreated;
    }
    if (last) return kPathOk;
    work[nameEnd] = '\\';
    nameStart = nameEnd + 1;
  }
}

int ConfirmFolderPath(const char* path) {
  const std::string text = path != nullptr ? path : "";
  platform::MessageBoxes& boxes = platform::GetMessageBoxes();
  int code = BuildFolderPath(path, 1);
  if (code == kPathOk) {
    if (platform::GetFiles().Exists(text)) return kPathOk;
    const std::string question =
        FolderMessage(text, "does not exist. Do you want the folder to be created?");
    if (boxes.Show(question, ApplicationTitle(), platform::kMbYesNo | platform::kMbIconQuestion) !=
        platform::kIdYes)
      return kPathDeclined;
    code = BuildFolderPath(path, 0);
    if (code == kPathOk) return kPathOk;
  }
  const char* tail = code == kPathInvalid ? "is invalid. Please reenter." : "can not be created. Please double check.";
  boxes.Show(FolderMessage(text, tail), ApplicationTitle(), platform::kMbOk | platform::kMbIconWarning);
  return code;
}
