// The user's part of an installation: the install folder in TRUSTEDPATHS of
// every AutoCAD profile of the current user, and the settings file in that
// user's APPDATA. Written for the user who installs, for each user of the
// machine by an installation for every user (through a redirect, see
// platform/user_redirect.h), and at a user's logon by the uninstaller's
// user-part step.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "deploy/events.h"
#include "hosts/changes.h"

struct UserPartRequest {
  std::string installDir;
  // The settings file an installation for every user keeps in the install
  // folder for its users; empty: none is placed.
  std::string settingsSource;
  // Product keys (below HKEY_LOCAL_MACHINE, "SOFTWARE\Autodesk\AutoCAD\<release>\<product>",
  // as this program reaches them) the loaders were registered under: a user
  // counts as served once each has a profile of that user.
  std::vector<std::string> productKeys;
};

struct UserPartResult {
  std::vector<TrustedPathWrite> trustedPaths;
  // The copy into APPDATA\Zorvel; nothing when not tried (no source, or the
  // user has a settings file of its own, which stays).
  std::optional<FileEvent> settings;
  bool settingsKept = false;  // the user's own settings file was there and stays
  // Of the request's product keys, those the user has no AutoCAD profile of
  // yet (AutoCAD makes it at its first start).
  std::vector<std::string> productsWithoutProfile;

  // Every write made and every product's profiles reached.
  bool complete() const;
};

// Told of each write of the user's part just before it is made, so that
// the user's record names it ahead of the change.
class UserPartJournal : public ChangeJournal {
 public:
  void BeforeLoader(const LoaderWrite& planned) override { (void)planned; }
  void BeforeSupportFile(const SupportFileWrite& planned) override { (void)planned; }
  void BeforeSupportPath(const SupportPathWrite& planned) override { (void)planned; }
  // Before the settings file is copied into the user's APPDATA.
  virtual void BeforeSettings(const FileEvent& planned) = 0;
};

// Serves the current user (whoever the current-user services mean).
[[nodiscard]] UserPartResult ServeUserPart(const UserPartRequest& request, UserPartJournal* journal = nullptr);

// Writes that failed.
[[nodiscard]] int FailuresOf(const UserPartResult& result);
