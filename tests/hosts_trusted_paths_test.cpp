// Trusted-path registration: the install folder joins TRUSTEDPATHS in every
// AutoCAD profile of the current user, and nothing the user had is lost.
#include "platform/mbcs.h"
#include "tests/hosts_world.h"
#include "tests/recorded_events.h"

namespace {

using platform::Hive;

const std::string kUpperDir = "C:\\ZORVEL\\ZORVEL批打印软件";

TEST(TrustedPathsList, IsComposedFromTheStoredList) {
  struct Case { std::string existing, expected; };
  const Case cases[] = {
      {"", kInstallDir},
      {";", kInstallDir},
      {"ab", kInstallDir},  // two bytes or fewer: replaced, the folder's case kept
      {"abc", "ABC;" + kUpperDir},
      {"d:\\lisp;c:\\tools", "D:\\LISP;C:\\TOOLS;" + kUpperDir},
      {"D:\\LISP;C:\\TOOLS;" + kUpperDir, "D:\\LISP;C:\\TOOLS;" + kUpperDir},
      {"c:\\zorvel\\zorvel批打印软件", kUpperDir},
      {"d:\\lisp;", "D:\\LISP;;" + kUpperDir},
      {"x;c:\\Zorvel\\Zorvel批打印软件\\;y", "X;" + kUpperDir + "\\;Y"},  // a trailing backslash is ignored
      {kUpperDir + "\\Old", kUpperDir + "\\OLD;" + kUpperDir},      // begins with it, is another folder
      {"d:\\" + kUpperDir, "D:\\" + kUpperDir + ";" + kUpperDir},
      {"d:\\\x81\x61", "D:\\\x81\x61;" + kUpperDir},  // the 'a' ending a double-byte character stays
      // Found by fuzzing: a lead byte without its trail byte at the end of the
      // list once swallowed the ';' put behind it, so the folder was never
      // found again and was added on every install.
      {"d:\\lisp;c:\\tool\xA8", "D:\\LISP;C:\\TOOL\xA8;" + kUpperDir},
  };
  for (const Case& c : cases) {
    const std::string composed = ComposeTrustedPaths(c.existing, kInstallDir);
    EXPECT_EQ(composed, c.expected) << c.existing;
    EXPECT_EQ(ComposeTrustedPaths(composed, kInstallDir), mbcs::ToUpper(composed)) << "installed twice: " << c.existing;
  }
}

class TrustedPaths : public HostsWorldTest {
 protected:
  std::optional<std::string> TrustedPathsOf(const std::string& variablesKey) {
    return ReadText(Hive::CurrentUser, variablesKey, "TRUSTEDPATHS");
  }

  int Run(ChangeJournal* journal = nullptr) {
    CAcadHosts hosts;
    hosts.SetInstallDir(kInstallDir);
    hosts.journal = journal;
    writes_ = hosts.AddTrustedPath();
    return FailuresOf(writes_);
  }

  std::vector<TrustedPathWrite> writes_;
};

TEST_P(TrustedPaths, EveryProfileOfEveryProductAndReleaseIsUpdated) {
  struct Profile { const char* release; const char* product; const char* profile; const char* before; const char* after; };
  const std::string appended = "D:\\LISP;" + kUpperDir;
  const Profile profiles[] = {
      {"R18.0", "ACAD-8001:804", "<<未命名配置>>", "d:\\lisp", appended.c_str()},
      {"R18.0", "ACAD-8001:804", "Custom", nullptr, kInstallDir},
      {"R18.0", "ACAD-8001:409", "Default", ";", kInstallDir},
      {"R99.9", "Anything", "P", "d:\\lisp", appended.c_str()},  // no such release: still a profile
      {"Odd", "x", "p", "", kInstallDir},
  };
  for (const Profile& p : profiles) {
    std::string key = VariablesKey(p.release, p.product, p.profile);
    if (p.before) WriteText(Hive::CurrentUser, key, "TRUSTEDPATHS", p.before);
    else MakeKey(Hive::CurrentUser, key);
  }
  EXPECT_EQ(Run(), 0);
  for (const Profile& p : profiles)
    EXPECT_EQ(TrustedPathsOf(VariablesKey(p.release, p.product, p.profile)), p.after) << p.profile;
}

TEST_P(TrustedPaths, AProfileWithoutVariablesGetsThemAndAProductWithoutProfilesIsSkipped) {
  const std::string profile = std::string(kAcadKey) + "\\R24.0\\ACAD-6001:804\\Profiles\\Empty";
  const std::string bare = std::string(kAcadKey) + "\\R24.0\\ACAD-6002:804";
  MakeKey(Hive::CurrentUser, profile);
  MakeKey(Hive::CurrentUser, bare);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(TrustedPathsOf(profile + "\\Variables"), kInstallDir);
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, bare + "\\Profiles"));
}

TEST_P(TrustedPaths, AVariablesKeyTheInstallMakesIsReportedAsCreated) {
  MakeKey(Hive::CurrentUser, std::string(kAcadKey) + "\\R18.0\\ACAD-8001:804\\Profiles\\Bare");
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(writes_.size(), 1u);
  EXPECT_EQ(writes_[0].change.createdLevels, 1);
  EXPECT_FALSE(writes_[0].previous.has_value());
}

TEST_P(TrustedPaths, RunningTwiceLeavesTheFolderOnceInUpperCase) {
  const std::string fresh = VariablesKey("R23.1", "ACAD-4101:804", "A");
  const std::string listed = VariablesKey("R23.1", "ACAD-4101:804", "B");
  MakeKey(Hive::CurrentUser, fresh);
  WriteText(Hive::CurrentUser, listed, "TRUSTEDPATHS", "d:\\lisp;c:\\tools");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(TrustedPathsOf(fresh), kUpperDir);
  EXPECT_EQ(TrustedPathsOf(listed), "D:\\LISP;C:\\TOOLS;" + kUpperDir);
}

TEST_P(TrustedPaths, ALongListIsKeptWhole) {
  std::string list;
  for (int i = 0; list.size() < 20000; ++i) list += "d:\\folder" + std::to_string(i) + "\\批;";
  list += "e:\\last";
  const std::string key = VariablesKey("R22.0", "ACAD-2001:804", "Long");
  WriteText(Hive::CurrentUser, key, "TRUSTEDPATHS", list);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(TrustedPathsOf(key), mbcs::ToUpper(list) + ";" + kUpperDir);
}

TEST_P(TrustedPaths, TheListIsStoredWithoutTerminator) {
  if (!memory()) GTEST_SKIP() << "the real registry's stored size is checked by the Windows-only suite";
  const std::string key = VariablesKey("R22.0", "ACAD-2001:804", "Size");
  WriteText(Hive::CurrentUser, key, "TRUSTEDPATHS", "d:\\lisp");
  EXPECT_EQ(Run(), 0);
  platform::MemoryRegistry::StoredValue stored;
  ASSERT_TRUE(memory()->Stored(Hive::CurrentUser, key, "TRUSTEDPATHS", &stored));
  EXPECT_EQ(stored.type, platform::kRegSz);
  EXPECT_EQ(stored.bytes, "D:\\LISP;" + kUpperDir);
}

TEST_P(TrustedPaths, AListOfAnotherTypeIsReadAndWrittenBackAsText) {
  const std::string key = VariablesKey("R22.0", "ACAD-2001:804", "Expand");
  {
    platform::ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
    platform::ScopedKey variables(registry(), registry().Create(root.get(), key));
    const std::string list = "%USERPROFILE%\\lisp";
    ASSERT_TRUE(registry().SetValue(variables.get(), "TRUSTEDPATHS", platform::kRegExpandSz, list.data(),
                                    static_cast<std::uint32_t>(list.size())));
  }
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(TrustedPathsOf(key), "%USERPROFILE%\\LISP;" + kUpperDir);
}

TEST_P(TrustedPaths, AListKeepsItsTypeAndOneThatIsNoTextIsLeftAsItIs) {
  struct Row {
    const char* profile;
    std::uint32_t type;
    std::string stored;
    std::string after;  // empty: left exactly as stored, and counted as not written
  };
  const std::uint32_t dword = 7;
  const Row rows[] = {
      {"Sz", platform::kRegSz, "d:\\lisp", "D:\\LISP;" + kUpperDir},
      {"Expand", platform::kRegExpandSz, "%UserProfile%\\lisp;%APPDATA%", "%USERPROFILE%\\LISP;%APPDATA%;" + kUpperDir},
      {"Dword", platform::kRegDword, std::string(reinterpret_cast<const char*>(&dword), sizeof dword), ""},
      {"Binary", platform::kRegBinary, std::string("d:\\lisp\0\x01", 9), ""},
      {"Multi", platform::kRegMultiSz, std::string("d:\\lisp\0e:\\x\0\0", 15), ""},
  };
  for (const Row& row : rows) {
    platform::ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
    platform::ScopedKey variables(registry(), registry().Create(root.get(), VariablesKey("R24.0", "ACAD-1:804", row.profile)));
    ASSERT_TRUE(registry().SetValue(variables.get(), "TRUSTEDPATHS", row.type, row.stored.data(),
                                    static_cast<std::uint32_t>(row.stored.size())));
  }
  EXPECT_EQ(Run(), 3);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.profile);
    platform::ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
    platform::ScopedKey variables(registry(),
                                  registry().OpenRead(root.get(), VariablesKey("R24.0", "ACAD-1:804", row.profile)));
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(registry().QueryValue(variables.get(), "TRUSTEDPATHS", &type, nullptr, &size), platform::QueryResult::Ok);
    std::string data(size, '\0');
    ASSERT_EQ(registry().QueryValue(variables.get(), "TRUSTEDPATHS", &type, data.data(), &size),
              platform::QueryResult::Ok);
    EXPECT_EQ(type, row.type);
    if (row.after.empty()) {
      EXPECT_EQ(data.substr(0, row.stored.size()), row.stored);
    } else {
      EXPECT_EQ(data.substr(0, data.find('\0')), row.after);
    }
  }
  int mismatched = 0;
  for (const TrustedPathWrite& write : writes_) mismatched += write.status.code() == platform::kErrorDatatypeMismatch;
  EXPECT_EQ(mismatched, 3);
}

TEST_P(TrustedPaths, EachProfileIsReportedWithItsListBeforeAndAfter) {
  const std::string had = VariablesKey("R18.0", "ACAD-8001:804", "Had"), hadNot = VariablesKey("R18.0", "ACAD-8001:804", "New");
  WriteText(Hive::CurrentUser, had, "TRUSTEDPATHS", "d:\\lisp");
  MakeKey(Hive::CurrentUser, hadNot);
  RecordingJournal journal;
  journal.look = [&] { return TrustedPathsOf(had).value_or("") + "|" + TrustedPathsOf(hadNot).value_or("none"); };
  EXPECT_EQ(Run(&journal), 0);
  EXPECT_EQ(journal.seen, (std::vector<std::string>{"d:\\lisp|none", "D:\\LISP;" + kUpperDir + "|none"}));
  ASSERT_EQ(writes_.size(), 2u);
  EXPECT_EQ(writes_[0].change.key, had);
  EXPECT_EQ(writes_[0].previous, "d:\\lisp");
  EXPECT_EQ(writes_[0].list, "D:\\LISP;" + kUpperDir);
  EXPECT_EQ(writes_[0].type, platform::kRegSz);
  EXPECT_EQ(writes_[0].change.createdLevels, 0);
  EXPECT_EQ(writes_[1].change.key, hadNot);
  EXPECT_FALSE(writes_[1].previous.has_value());
  EXPECT_EQ(writes_[1].list, kInstallDir);
  EXPECT_EQ(writes_[1].change.createdLevels, 0) << "the key was there, without the value";
  for (const TrustedPathWrite& write : writes_) EXPECT_TRUE(write.status.ok());
}

// What the record keeps of each profile: whether its list gained the folder,
// and what the list was before.
TEST_P(TrustedPaths, EachListSaysWhatItWasBefore) {
  using Before = TrustedPathChange::Before;
  struct Case {
    std::optional<std::string> previous;
    bool keyExists;
    bool gained;
    Before before;
    std::string replaced;
  };
  const Case cases[] = {
      {std::nullopt, false, true, Before::Missing, ""},
      {std::nullopt, true, true, Before::Missing, ""},
      {std::string(";"), true, true, Before::Replaced, ";"},
      {std::string(""), true, true, Before::Replaced, ""},
      {std::string("d:\\lisp"), true, true, Before::Listed, ""},
      {std::string("d:\\lisp;C:\\ZORVEL\\ZORVEL批打印软件"), true, false, Before::Listed, ""},
      // Stored with their terminator, as AutoCAD stores them: 16 bytes of UTF-16 for d:\lisp.
      {std::string("d:\\lisp\0", 8), true, true, Before::Listed, ""},
      {std::string(";\0", 2), true, true, Before::Replaced, ";"},
  };
  const std::string profile = std::string(kAcadKey) + "\\R18.0\\ACAD-8001:804\\Profiles\\P";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.previous.value_or("(none)"));
    MakeKey(Hive::CurrentUser, profile);
    if (c.previous) WriteText(Hive::CurrentUser, profile + "\\Variables", "TRUSTEDPATHS", *c.previous);
    else if (c.keyExists) MakeKey(Hive::CurrentUser, profile + "\\Variables");
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(writes_.size(), 1u);
    EXPECT_EQ(writes_[0].change.key, profile + "\\Variables");
    EXPECT_EQ(writes_[0].change.createdLevels, c.keyExists ? 0 : 1);
    EXPECT_EQ(writes_[0].gained, c.gained);
    EXPECT_EQ(writes_[0].change.before, c.before);
    EXPECT_EQ(writes_[0].change.replaced, c.replaced);
    const std::optional<platform::StoredValue>& original = writes_[0].change.original;
    EXPECT_EQ(original ? original->bytes : "(none)", c.previous.value_or("(none)")) << "exactly as stored";
    RemoveTree(Hive::CurrentUser, kAcadKey);
  }
}

TEST_P(TrustedPaths, NothingIsWrittenWithoutAnAutoCadKey) {
  MakeKey(Hive::CurrentUser, "SOFTWARE\\Autodesk");
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, kAcadKey));
}

TEST_P(TrustedPaths, UnreadableKeysAreSkippedAndUnwritableProfilesCounted) {
  const std::string release = std::string(kAcadKey) + "\\R24.0";
  for (const char* profile : {"A", "B", "C", "D", "E", "F"})
    WriteText(Hive::CurrentUser, VariablesKey("R24.0", "ACAD-1:804", profile), "TRUSTEDPATHS", "d:\\lisp");
  MakeKey(Hive::CurrentUser, VariablesKey("R24.0", "ACAD-2:804", "Gone"));
  MakeKey(Hive::CurrentUser, VariablesKey("R24.1", "ACAD-3:804", "Locked"));
  const std::string profiles = release + "\\ACAD-1:804\\Profiles";
  faults().FailEnumAt(Hive::CurrentUser, profiles, 0);                        // A: name unreadable
  faults().DenyOpen(Hive::CurrentUser, profiles + "\\B");                      // B: cannot be opened
  faults().DenyWrites(Hive::CurrentUser, profiles + "\\C\\Variables");         // C: cannot be written
  faults().MakeNotGbk(Hive::CurrentUser, profiles + "\\D\\Variables", "TRUSTEDPATHS");  // D: cannot be read
  faults().VanishWhenListed(Hive::CurrentUser, release + "\\ACAD-2:804");
  faults().DenyOpen(Hive::CurrentUser, std::string(kAcadKey) + "\\R24.1");
  EXPECT_EQ(Run(), 2);
  const std::string appended = "D:\\LISP;" + kUpperDir;
  for (const char* profile : {"A", "B", "C", "D"})
    EXPECT_EQ(TrustedPathsOf(VariablesKey("R24.0", "ACAD-1:804", profile)), "d:\\lisp") << profile;
  for (const char* profile : {"E", "F"})
    EXPECT_EQ(TrustedPathsOf(VariablesKey("R24.0", "ACAD-1:804", profile)), appended) << profile;
}

// The fonts folder joins every profile's own support path once, its case and
// type kept; a profile without one gets none (AutoCAD would lose its own).
TEST_P(TrustedPaths, TheFontsFolderJoinsEveryProfilesOwnSupportPath) {
  const std::string fonts = std::string(kInstallDir) + "\\Fonts", had = "e:\\a;" + mbcs::ToUpper(fonts) + "\\";
  struct Row { const char* profile; std::uint32_t type; std::optional<std::string> stored, after; };
  const Row rows[] = {
      {"Sz", platform::kRegSz, "d:\\Lisp", "d:\\Lisp;" + fonts},
      {"Expand", platform::kRegExpandSz, "%AppData%\\S;", "%AppData%\\S;" + fonts},  // no second ';'
      {"Had", platform::kRegSz, had, had},
      {"Empty", platform::kRegSz, "", ""},
      {"None", platform::kRegSz, std::nullopt, std::nullopt},
  };
  const auto general = [](const Row& r) { return std::string(kAcadKey) + "\\R\\A\\Profiles\\" + r.profile + "\\General"; };
  platform::ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
  for (const Row& row : rows) {
    platform::ScopedKey key(registry(), registry().Create(root.get(), general(row)));
    if (!row.stored) continue;
    ASSERT_TRUE(registry().SetValue(key.get(), "ACAD", row.type, row.stored->data(),
                                    static_cast<std::uint32_t>(row.stored->size())));
  }
  CAcadHosts hosts;
  EXPECT_EQ(FailuresOf(hosts.AddSupportPath(fonts)), 2);
  EXPECT_EQ(FailuresOf(hosts.AddSupportPath(fonts)), 2) << "again: added once";
  for (const Row& row : rows) {
    platform::ScopedKey key(registry(), registry().OpenRead(root.get(), general(row)));
    platform::StoredValue now;
    const bool stored = registry().QueryStored(key.get(), "ACAD", &now) == platform::QueryResult::Ok;
    EXPECT_EQ(stored ? std::optional<std::string>(now.bytes) : std::nullopt, row.after) << row.profile;
    EXPECT_EQ(stored ? now.type : row.type, row.type) << row.profile;
  }
}

INSTANTIATE_FOR_EVERY_REGISTRY(TrustedPaths);

class SubkeyListing : public HostsWorldTest {};

TEST_P(SubkeyListing, AppendsTheNamesOfSubkeysThatOpen) {
  for (const char* name : {"Beta", "alpha", "配置"}) MakeKey(Hive::CurrentUser, std::string(kAcadKey) + "\\" + name);
  std::vector<std::string> names{"kept"};
  {
    platform::ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
    platform::ScopedKey acad(registry(), registry().OpenRead(root.get(), kAcadKey));
    EnumSubkeyNames(acad.get(), names);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"kept", "alpha", "Beta", "配置"}));
  faults().DenyOpen(Hive::CurrentUser, std::string(kAcadKey) + "\\Beta");
  faults().FailEnumAt(Hive::CurrentUser, kAcadKey, 2);
  platform::ScopedKey root(faults(), faults().OpenHive(Hive::CurrentUser));
  platform::ScopedKey acad(faults(), faults().OpenRead(root.get(), kAcadKey));
  names = {"kept"};
  EnumSubkeyNames(acad.get(), names);
  EXPECT_EQ(names, (std::vector<std::string>{"kept", "alpha"}));
  std::uint32_t count = 0;
  EXPECT_TRUE(faults().SubkeyCount(acad.get(), &count)) << "the key itself stays open and usable";
  EXPECT_EQ(count, 3u);
}

TEST_P(SubkeyListing, AKeyWhoseSubkeysCannotBeCountedHasNone) {
  MakeKey(Hive::CurrentUser, std::string(kAcadKey) + "\\R");
  faults().FailSubkeyCount(Hive::CurrentUser, kAcadKey);
  platform::ScopedKey root(faults(), faults().OpenHive(Hive::CurrentUser));
  platform::ScopedKey acad(faults(), faults().OpenRead(root.get(), kAcadKey));
  std::vector<std::string> names;
  EnumSubkeyNames(acad.get(), names);
  EXPECT_TRUE(names.empty());
}

INSTANTIATE_FOR_EVERY_REGISTRY(SubkeyListing);

}  // namespace
