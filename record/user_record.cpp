#include "record/user_record.h"

#include <iterator>
#include <optional>
#include <utility>

#include "platform/mbcs.h"
#include "platform/registry.h"

namespace {

using platform::Hive;
using platform::Registry;
using platform::ScopedKey;
using platform::StoredValue;

constexpr char kInstallValue[] = "Install";
constexpr char kSerialValue[] = "Serial";
constexpr char kServedValue[] = "Served";
constexpr char kLinesValue[] = "UserPart";

std::optional<StoredValue> Read(Registry& registry, platform::RegKey key, const char* name, std::uint32_t type) {
  StoredValue value;
  if (platform::ReadValue(registry, key, name, &value) != platform::QueryResult::Ok || value.type != type)
    return std::nullopt;
  if (type == platform::kRegDword && value.bytes.size() != 4) return std::nullopt;
  return value;
}

std::uint32_t Dword(const StoredValue& value) {
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.bytes[i]);
  return number;
}

std::string DwordBytes(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(number >> (8 * i) & 0xFF);
  return bytes;
}

}  // namespace

ParsedUserRecord ReadUserRecord() {
  Registry& registry = platform::GetRegistry();
  ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
  ScopedKey key(registry, registry.OpenRead(user.get(), kUserRecordKey));
  ParsedUserRecord parsed;
  if (!key) return parsed;
  parsed.state = RecordState::NotARecord;
  const std::optional<StoredValue> install = Read(registry, key.get(), kInstallValue, platform::kRegSz);
  const std::optional<StoredValue> serial = Read(registry, key.get(), kSerialValue, platform::kRegDword);
  const std::optional<StoredValue> served = Read(registry, key.get(), kServedValue, platform::kRegDword);
  const std::optional<StoredValue> lines = Read(registry, key.get(), kLinesValue, platform::kRegMultiSz);
  if (!install || !serial || !served || !lines) return parsed;
  // The strings of the list, each a line of the record; the list ends at
  // its first empty string.
  std::string text;
  for (std::string_view line : mbcs::Split(lines->bytes, '\0')) {
    if (line.empty()) break;
    text.append(line).append("\r\n");
  }
  const ParsedRecord record = ParseRecord(text);
  const InstallRecord& part = record.record;
  const bool onlyTheUsersPart = !part.parentCreated && part.files.empty() && part.backups.empty() &&
                                part.fonts.empty() && part.drivers.empty() && part.loaders.empty() &&
                                part.entries.empty() && part.allUsers == 0;
  if (!onlyTheUsersPart) return parsed;
  parsed.state = record.state;
  parsed.ignoredLines = record.ignoredLines;
  parsed.record = {install->bytes.substr(0, install->bytes.find('\0')), Dword(*serial), Dword(*served),
                   part.trustedPaths, part.settings};
  return parsed;
}

platform::Status WriteUserRecord(const UserRecord& record) {
  InstallRecord part;
  part.trustedPaths = record.trustedPaths;
  part.settings = record.settings;
  const std::string text = FormatRecord(part);
  std::string lines;
  for (std::string_view line : mbcs::Split(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.append(line).push_back('\0');
  }
  lines.push_back('\0');
  const StoredValue values[] = {{platform::kRegSz, record.installDir + '\0'},
                                {platform::kRegDword, DwordBytes(record.serial)},
                                {platform::kRegDword, DwordBytes(record.served)},
                                {platform::kRegMultiSz, lines}};
  const char* const names[] = {kInstallValue, kSerialValue, kServedValue, kLinesValue};
  Registry& registry = platform::GetRegistry();
  ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
  platform::Status status;
  ScopedKey key(registry, registry.Create(user.get(), kUserRecordKey, &status));
  if (!key) return status ? platform::Status(platform::kErrorInvalidHandle) : status;
  for (std::size_t i = 0; status && i < std::size(names); ++i)
    status = registry.SetValue(key.get(), names[i], values[i].type, values[i].bytes.data(),
                               static_cast<std::uint32_t>(values[i].bytes.size()));
  return status;
}

platform::Status DeleteUserRecord() {
  Registry& registry = platform::GetRegistry();
  ScopedKey user(registry, registry.OpenHive(Hive::CurrentUser));
  const platform::Status status = registry.DeleteKey(user.get(), kUserRecordKey);
  return status.code() == platform::kErrorFileNotFound ? platform::Status::Ok() : status;
}

namespace {

// Whether a record read names the installation in `installDir`.
bool OfFolder(const ParsedUserRecord& parsed, const std::string& installDir) {
  if (parsed.state != RecordState::Complete && parsed.state != RecordState::Truncated) return false;
  std::string recorded = parsed.record.installDir, folder = installDir;
  mbcs::DropTrailingBackslash(recorded);
  mbcs::DropTrailingBackslash(folder);
  return mbcs::EqualsNoCase(recorded, folder);
}

}  // namespace

namespace {

// Writes the user's record ahead of each change of the user's part, so that
// a run killed half-way leaves a record that names at least what it
// changed: the record there before (the same folder's), with every change
// about to be made. A change named but never made is harmless: taking the
// folder out of a list that lacks it changes nothing, and the settings file
// is left to the user in any case.
class RecordAhead : public UserPartJournal {
 public:
  RecordAhead(const InstallRecord& there, UserRecord heading) : there_(there), heading_(std::move(heading)) {}

  void BeforeTrustedPaths(const TrustedPathWrite& planned) override {
    if (!planned.gained) return;  // a list that holds the folder already is not the install's
    ahead_.trustedPaths.push_back(planned.change);
    Write();
  }
  void BeforeSettings(const FileEvent& planned) override {
    ahead_.settings = planned.destination;
    Write();
  }

 private:
  void Write() {
    InstallRecord part = there_;
    MergeInto(part, ahead_);
    UserRecord record = heading_;
    record.trustedPaths = std::move(part.trustedPaths);
    record.settings = std::move(part.settings);
    // Not written: the record written at the end says so.
    (void)WriteUserRecord(record);
  }

  const InstallRecord& there_;
  const UserRecord heading_;
  InstallRecord ahead_;
};

}  // namespace

UserService ServeCurrentUser(const UserPartRequest& request, std::uint32_t serial) {
  UserService service;
  const ParsedUserRecord there = ReadUserRecord();
  InstallRecord part;
  UserRecord record;
  if (OfFolder(there, request.installDir)) {
    part.trustedPaths = there.record.trustedPaths;
    part.settings = there.record.settings;
    record.served = there.record.served;
  } else {
    service.replacedInstall = there.record.installDir;  // empty when there was none
  }
  record.installDir = request.installDir;
  mbcs::DropTrailingBackslash(record.installDir);
  record.serial = serial;
  RecordAhead ahead(part, record);
  service.part = ServeUserPart(request, &ahead);

  // The record as made: what was there, and every change really made.
  InstallRecord made;
  for (const TrustedPathWrite& write : service.part.trustedPaths)
    if (write.written() && write.gained) made.trustedPaths.push_back(write.change);
  if (service.part.settings && service.part.settings->status) made.settings = service.part.settings->destination;
  MergeInto(part, made);

  if (service.part.complete()) record.served = serial;
  record.trustedPaths = std::move(part.trustedPaths);
  record.settings = std::move(part.settings);
  service.recordStatus = WriteUserRecord(record);
  service.served = service.recordStatus.ok() && record.served == serial;
  return service;
}

bool AlreadyServed(const std::string& installDir, std::uint32_t serial) {
  const ParsedUserRecord there = ReadUserRecord();
  return there.state == RecordState::Complete && OfFolder(there, installDir) && there.record.served == serial;
}
