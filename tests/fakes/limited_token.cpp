#include "tests/fakes/limited_token.h"

#include "platform/mbcs.h"

namespace platform {

bool LimitedRegistry::PlaceOf(RegKey parent, const std::string& path, Place* place) const {
  auto handle = handles_.find(parent);
  if (handle == handles_.end()) return false;
  *place = handle->second.place;
  if (place->hive == Hive::Users && place->user.empty()) {
    for (std::string_view part : mbcs::Split(path, '\\')) {
      if (part.empty()) continue;
      place->user = std::string(part);
      break;
    }
  }
  return true;
}

bool LimitedRegistry::Refused(RegKey parent, const std::string& path) const {
  Place place;
  if (rights_.Token() == TokenRights::Full || !PlaceOf(parent, path, &place)) return false;
  const std::string own = rights_.CurrentAccount().sid;
  switch (place.hive) {
    case Hive::LocalMachine:
      return true;
    case Hive::CurrentUser:
      return false;
    case Hive::Users:
      return !mbcs::EqualsNoCase(place.user, own) && !mbcs::EqualsNoCase(place.user, own + "_Classes");
  }
  return true;
}

RegKey LimitedRegistry::Opened(RegKey parent, const std::string& path, RegKey key) {
  Place place;
  if (key != nullptr && PlaceOf(parent, path, &place)) {
    Handle& handle = handles_[key];
    handle.place = place;
    ++handle.count;
  }
  return key;
}

RegKey LimitedRegistry::OpenHive(Hive hive) {
  RegKey key = inner().OpenHive(hive);
  if (key != nullptr) {
    Handle& handle = handles_[key];
    handle.place = Place{hive, std::string()};
    ++handle.count;
  }
  return key;
}

RegKey LimitedRegistry::Open(RegKey parent, const std::string& path) {
  return Opened(parent, path, inner().Open(parent, path));
}

RegKey LimitedRegistry::OpenRead(RegKey parent, const std::string& path) {
  return Opened(parent, path, inner().OpenRead(parent, path));
}

RegKey LimitedRegistry::Create(RegKey parent, const std::string& path, Status* status) {
  if (Refused(parent, path)) {
    ScopedKey existing(inner(), inner().OpenRead(parent, path));
    if (!existing) {
      if (status) *status = Status(kErrorAccessDenied);
      return nullptr;
    }
  }
  return Opened(parent, path, inner().Create(parent, path, status));
}

Status LimitedRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                                 std::uint32_t size) {
  return Refused(key) ? Status(kErrorAccessDenied) : inner().SetValue(key, name, type, data, size);
}

Status LimitedRegistry::DeleteKey(RegKey parent, const std::string& path) {
  return Refused(parent, path) ? Status(kErrorAccessDenied) : inner().DeleteKey(parent, path);
}

Status LimitedRegistry::DeleteValue(RegKey key, const std::string& name) {
  return Refused(key) ? Status(kErrorAccessDenied) : inner().DeleteValue(key, name);
}

void LimitedRegistry::Close(RegKey key) {
  auto handle = handles_.find(key);
  if (handle != handles_.end() && --handle->second.count == 0) handles_.erase(handle);
  inner().Close(key);
}

bool LimitedFiles::Refused(const std::string& path) {
  std::string whole = path;
  mbcs::DropTrailingBackslash(whole);
  return !rights_.MayWriteIn(mbcs::FolderOf(whole));
}

Status LimitedFiles::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return Refused(path) ? Status(kErrorAccessDenied) : inner_.SetAttributes(path, attributes);
}

Status LimitedFiles::CopyFile(const std::string& source, const std::string& destination) {
  return Refused(destination) ? Status(kErrorAccessDenied) : inner_.CopyFile(source, destination);
}

Status LimitedFiles::CreateDirectory(const std::string& path) {
  return Refused(path) ? Status(kErrorAccessDenied) : inner_.CreateDirectory(path);
}

Status LimitedFiles::DeleteFile(const std::string& path) {
  return Refused(path) ? Status(kErrorAccessDenied) : inner_.DeleteFile(path);
}

Status LimitedFiles::RemoveDirectory(const std::string& path) {
  return Refused(path) ? Status(kErrorAccessDenied) : inner_.RemoveDirectory(path);
}

Status LimitedFiles::WriteFile(const std::string& path, const std::string& content) {
  return Refused(path) ? Status(kErrorAccessDenied) : inner_.WriteFile(path, content);
}

LimitedToken::LimitedToken(TokenRights token) : before_(CurrentServices()) {
  rights_ = MemoryRights::Of(before_.rights);
  if (rights_ == nullptr) {
    own_ = std::make_unique<MemoryRights>();
    rights_ = own_.get();
  }
  tokenBefore_ = rights_->Token();
  rights_->SetToken(token);
  registry_ = std::make_unique<LimitedRegistry>(*before_.registry, *rights_);
  files_ = std::make_unique<LimitedFiles>(*before_.files, *rights_);
  Services limited = before_;
  limited.rights = rights_;
  limited.registry = registry_.get();
  limited.files = files_.get();
  UseServices(limited);
}

LimitedToken::~LimitedToken() {
  rights_->SetToken(tokenBefore_);
  Services now = CurrentServices();
  now.rights = before_.rights;
  now.registry = before_.registry;
  now.files = before_.files;
  UseServices(now);
}

}  // namespace platform
