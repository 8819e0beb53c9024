#include "install/path_rules.h"

#include <cstring>

#include "deploy/file_utils.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "platform/message_box.h"

namespace {

// A drive root: a letter, a colon and a backslash.
constexpr std::size_t kDriveRootBytes = 3;

bool IsEdgeByte(char c) { return c == '\t' || c == ' ' || c == '.'; }

bool IsForbiddenByte(char c) { return c != '\0' && std::strchr("\"*/:<>?\\|", c) != nullptr; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasDriveRoot(std::string_view path) {
  return path.size() >= kDriveRootBytes && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

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

NameVerdict IsValidPathComponent(const char* name) {
  if (name == nullptr || name[0] == '\0') return NameVerdict::Invalid;
  const std::string_view text(name);
  // Well-formed, the first and the last byte each start a character.
  if (!mbcs::IsWellFormed(text) || IsEdgeByte(text.front()) || IsEdgeByte(text.back())) return NameVerdict::Invalid;
  for (std::size_t i = 0; i < text.size(); i += mbcs::CharLength(text, i)) {
    if (mbcs::CharLength(text, i) == 1 && IsForbiddenByte(text[i])) return NameVerdict::Invalid;
  }
  return NameVerdict::Valid;
}

PathCheck CheckFolderForm(std::string_view path) {
  if (!HasDriveRoot(path)) return {PathFault::NotAbsolute, {}};
  if (path.size() == kDriveRootBytes) return {};
  for (std::string_view piece : mbcs::Split(path.substr(kDriveRootBytes), '\\')) {
    const std::string name(piece);
    if (name.empty()) return {PathFault::EmptyName, {}};
    // A zero byte would end the name early for the rule below.
    if (mbcs::IsWellFormed(name) && !mbcs::IsWholeText(name)) return {PathFault::LoneSurrogate, name};
    if (name.find('\0') != std::string::npos || IsValidPathComponent(name.c_str()) != NameVerdict::Valid)
      return {PathFault::BadName, name};
    // ';' is never the trail byte of a character.
    if (name.find(';') != std::string::npos) return {PathFault::Semicolon, name};
  }
  return {};
}

std::vector<std::string> FolderLevels(std::string_view path) {
  std::vector<std::string> levels;
  if (path.size() <= kDriveRootBytes) return levels;
  std::string level(path.substr(0, kDriveRootBytes - 1));
  for (std::string_view name : mbcs::Split(path.substr(kDriveRootBytes), '\\')) {
    level += "\\";
    level += name;
    levels.push_back(level);
  }
  return levels;
}

FolderPathResult BuildFolderPath(const char* path, int validateOnly) {
  if (path == nullptr) return FolderPathResult::Invalid;
  const std::string text(path);
  if (text.size() >= kFolderPathBufferSize || CheckFolderForm(text).fault != PathFault::None)
    return FolderPathResult::Invalid;
  if (validateOnly) return FolderPathResult::Ok;

  platform::Files& files = platform::GetFiles();
  const std::vector<std::string> levels = FolderLevels(text);
  // A drive root is never made.
  if (levels.empty()) return files.Exists(text) ? FolderPathResult::Ok : FolderPathResult::NotCreated;
  for (const std::string& level : levels) {
    (void)files.CreateDirectory(level);  // an existing level is no error: only what is there afterwards counts
    if (!IsFolder(level)) return FolderPathResult::NotCreated;
  }
  return FolderPathResult::Ok;
}

FolderPathResult ConfirmFolderPath(const char* path) {
  const std::string text = path != nullptr ? path : "";
  platform::MessageBoxes& boxes = platform::GetMessageBoxes();
  FolderPathResult code = BuildFolderPath(path, 1);
  if (code == FolderPathResult::Ok && platform::GetFiles().Exists(text)) {
    if (IsFolder(text)) return FolderPathResult::Ok;
    code = FolderPathResult::Invalid;  // a file of that name is no folder to install into
  }
  if (code == FolderPathResult::Ok) {
    const std::string question =
        FolderMessage(text, "does not exist. Do you want the folder to be created?");
    if (boxes.Show(question, ApplicationTitle(), platform::kMbYesNo | platform::kMbIconQuestion) !=
        platform::kIdYes)
      return FolderPathResult::Declined;
    code = BuildFolderPath(path, 0);
    if (code == FolderPathResult::Ok) return FolderPathResult::Ok;
  }
  const char* tail =
      code == FolderPathResult::Invalid ? "is invalid. Please reenter." : "can not be created. Please double check.";
  boxes.Show(FolderMessage(text, tail), ApplicationTitle(), platform::kMbOk | platform::kMbIconWarning);
  return code;
}
