// Taking back the install's changes to AutoCAD one by one: only what is still
// the install's, and what was there before comes back.
#include <functional>
#include <optional>
#include <string>

#include "deploy/file_utils.h"
#include "hosts/changes.h"
#include "tests/fakes/services.h"
#include "tests/files_world.h"
#include "tests/hosts_world.h"

namespace {

using platform::Hive;

constexpr int kBits = static_cast<int>(sizeof(void*) * 8);
const std::string kUpperDir = "C:\\ZORVEL\\ZORVEL批打印软件";
const std::string kOurs = std::string(kInstallDir) + "\\ZV_BatchPlot2010.ARX";

TEST(TrustedPathsList, LosesOnlyTheInstallFolder) {
  struct Case {
    std::string list, kept;
    bool removed;
  };
  const Case cases[] = {
      {kInstallDir, "", true},
      {"D:\\LISP;" + kUpperDir, "D:\\LISP", true},
      {kUpperDir + ";D:\\LISP", "D:\\LISP", true},
      {"A;" + kUpperDir + ";B", "A;B", true},
      {"D:\\LISP;;" + kUpperDir + "\\", "D:\\LISP;", true},  // the user's empty entry stays
      {kUpperDir + ";x;c:\\zorvel\\zorvel批打印软件", "x", true},
      {"D:\\LISP;" + kUpperDir + "\\OLD", "D:\\LISP;" + kUpperDir + "\\OLD", false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    bool removed = false;
    EXPECT_EQ(WithoutEntry(c.list, kInstallDir, &removed), c.kept) << c.list;
    EXPECT_EQ(removed, c.removed) << c.list;
  }
}

class HostChanges : public HostsWorldTest {
 protected:
  const std::string product_ = std::string(kAcadKey) + "\\R18.0\\ACAD-8001:804";
  const std::string key_ = product_ + "\\Applications\\ZV_BatchPlot2010";
  const std::string variables_ = VariablesKey("R18.0", "ACAD-8001:804", "Default");

  void WriteList(std::uint32_t type, const std::string& text) {
    platform::ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
    platform::ScopedKey key(registry(), registry().Create(root.get(), variables_));
    ASSERT_TRUE(registry().SetValue(key.get(), "TRUSTEDPATHS", type, text.data(), static_cast<std::uint32_t>(text.size())));
  }

  LoaderChange Loader(int createdLevels) {
    LoaderChange change;
    change.key = RegistryViewOf(key_, kBits);
    change.createdLevels = createdLevels;
    return change;
  }
};

TEST_P(HostChanges, ALoaderKeyIsTakenBackOnlyWhileItIsOurs) {
  struct Case {
    const char* label;
    std::function<void()> stage;
    int createdLevels;
    Undo undo;
    bool keyStays, applicationsStays;
  };
  const Case cases[] = {
      {"made by the install", [] {}, 2, Undo::Removed, false, false},
      {"made, beside another add-on", [this] { MakeKey(Hive::LocalMachine, product_ + "\\Applications\\Other"); }, 2,
       Undo::Removed, false, true},
      {"Applications was there", [] {}, 1, Undo::Removed, false, true},
      {"re-pointed since",
       [this] { WriteText(Hive::LocalMachine, key_, "LOADER", "D:\\Other\\ZV_BatchPlot2010.ARX"); }, 2,
       Undo::NotOurs, true, true},
      // As an install leaves it that stopped before its LOADER: nothing in
      // it but the install's own LOADCTRLS.
      {"without its LOADER",
       [this] {
         platform::ScopedKey root(registry(), registry().OpenHive(Hive::LocalMachine));
         platform::ScopedKey key(registry(), registry().Open(root.get(), key_));
         ASSERT_TRUE(registry().DeleteValue(key.get(), "LOADER"));
       },
       2, Undo::Removed, false, false},
      {"without its LOADER, with another value added since",
       [this] {
         platform::ScopedKey root(registry(), registry().OpenHive(Hive::LocalMachine));
         platform::ScopedKey key(registry(), registry().Open(root.get(), key_));
         ASSERT_TRUE(registry().DeleteValue(key.get(), "LOADER"));
         WriteText(Hive::LocalMachine, key_, "DESCRIPTION", "mine");
       },
       2, Undo::NotOurs, true, true},
      {"a sub-key added since", [this] { MakeKey(Hive::LocalMachine, key_ + "\\Commands"); }, 2, Undo::Failed, true,
       true},
      {"gone already", [this] { RemoveTree(Hive::LocalMachine, product_ + "\\Applications"); }, 2, Undo::Unchanged,
       false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WriteDword(Hive::LocalMachine, key_, "LOADCTRLS", 2);
    WriteText(Hive::LocalMachine, key_, "LOADER", kOurs);
    c.stage();
    platform::Status status;
    EXPECT_EQ(UndoLoader(Loader(c.createdLevels), kInstallDir, kBits, &status), c.undo);
    EXPECT_EQ(KeyExists(Hive::LocalMachine, key_), c.keyStays);
    EXPECT_EQ(KeyExists(Hive::LocalMachine, product_ + "\\Applications"), c.applicationsStays);
    EXPECT_TRUE(KeyExists(Hive::LocalMachine, product_));
    RemoveTree(Hive::LocalMachine, product_ + "\\Applications");
  }
}

TEST_P(HostChanges, AKeyThatWasThereGetsItsValuesBack) {
  WriteDword(Hive::LocalMachine, key_, "LOADCTRLS", 2);
  WriteText(Hive::LocalMachine, key_, "LOADER", kOurs);
  LoaderChange change = Loader(0);
  change.loader = platform::StoredValue{platform::kRegSz, "D:\\旧版\\ZV_BatchPlot2010.ARX"};  // and no LOADCTRLS
  platform::Status status;
  EXPECT_EQ(UndoLoader(change, kInstallDir, kBits, &status), Undo::Restored);
  EXPECT_EQ(ReadText(Hive::LocalMachine, key_, "LOADER"), "D:\\旧版\\ZV_BatchPlot2010.ARX");
  EXPECT_FALSE(ReadDword(Hive::LocalMachine, key_, "LOADCTRLS"));
  EXPECT_EQ(UndoLoader(change, kInstallDir, kBits, &status), Undo::NotOurs) << "no longer ours: left alone";

  WriteText(Hive::LocalMachine, key_, "LOADER", kOurs);
  faults().DenyWrites(Hive::LocalMachine, key_);
  EXPECT_EQ(UndoLoader(change, kInstallDir, kBits, &status), Undo::Failed);
  EXPECT_EQ(status.code(), platform::kErrorAccessDenied);
  EXPECT_EQ(UndoLoader({{64, key_}, 1, {}, {}}, kInstallDir, 32, &status), Undo::Unreachable);
}

TEST_P(HostChanges, TrustedPathsLoseTheFolderAndGetBackWhatItReplaced) {
  using Before = TrustedPathChange::Before;
  using platform::StoredValue;
  struct Case {
    std::optional<std::string> now;
    Before before;
    std::string replaced;
    int createdLevels;
    Undo undo;
    std::optional<std::string> after;  // the bytes stored, exactly
    bool keyStays;
    std::optional<StoredValue> original = {};  // as the record has it
  };
  const std::string nul(1, '\0');
  const StoredValue lisp{platform::kRegSz, "d:\\lisp"}, lispEnded{platform::kRegSz, "d:\\lisp" + nul};
  const Case cases[] = {
      {std::string(kInstallDir), Before::Missing, "", 0, Undo::Removed, std::nullopt, true},
      {std::string(kInstallDir), Before::Missing, "", 1, Undo::Removed, std::nullopt, false},
      {std::string(kInstallDir) + ";e:\\mine", Before::Missing, "", 1, Undo::Removed, "e:\\mine", true},
      {"D:\\LISP;" + kUpperDir, Before::Listed, "", 0, Undo::Removed, "D:\\LISP", true},
      {kUpperDir, Before::Listed, "", 0, Undo::Removed, "", true},
      {kUpperDir, Before::Replaced, ";", 0, Undo::Restored, ";", true},
      {"D:\\LISP;" + kUpperDir + "\\OLD", Before::Listed, "", 0, Undo::Unchanged, "D:\\LISP;" + kUpperDir + "\\OLD", true},
      {std::nullopt, Before::Listed, "", 0, Undo::Unchanged, std::nullopt, true},
      {std::nullopt, Before::Missing, "", 1, Undo::Removed, std::nullopt, false},
      // Nothing else changed: the value found goes back byte for byte.
      {"D:\\LISP;" + kUpperDir, Before::Listed, "", 0, Undo::Restored, "d:\\lisp" + nul, true, lispEnded},
      {"D:\\LISP;" + kUpperDir, Before::Listed, "", 0, Undo::Restored, "d:\\lisp", true, lisp},
      {kUpperDir, Before::Replaced, ";", 0, Undo::Restored, ";" + nul, true, StoredValue{platform::kRegSz, ";" + nul}},
      // Changed since (an entry, the type, AutoCAD wrote it again): only the
      // folder leaves, the rest keeps the form it has now.
      {"D:\\LISP;E:\\NEW;" + kUpperDir, Before::Listed, "", 0, Undo::Removed, "D:\\LISP;E:\\NEW", true, lispEnded},
      {"D:\\LISP;" + kUpperDir, Before::Listed, "", 0, Undo::Removed, "D:\\LISP", true,
       StoredValue{platform::kRegExpandSz, "d:\\lisp"}},
      {"D:\\Lisp;" + kUpperDir + nul, Before::Listed, "", 0, Undo::Removed, "D:\\Lisp" + nul, true, lisp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.now.value_or("(no value)"));
    MakeKey(Hive::CurrentUser, variables_);
    if (c.now) WriteText(Hive::CurrentUser, variables_, "TRUSTEDPATHS", *c.now);
    platform::Status status;
    EXPECT_EQ(UndoTrustedPath({variables_, c.createdLevels, c.before, c.replaced, c.original}, kInstallDir, &status),
              c.undo);
    {
      platform::ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
      platform::ScopedKey key(registry(), registry().OpenRead(root.get(), variables_));
      StoredValue after;
      const bool stored = registry().QueryStored(key.get(), "TRUSTEDPATHS", &after) == platform::QueryResult::Ok;
      EXPECT_EQ(stored ? std::optional<std::string>(after.bytes) : std::nullopt, c.after);
    }
    EXPECT_EQ(KeyExists(Hive::CurrentUser, variables_), c.keyStays);
    RemoveTree(Hive::CurrentUser, variables_);
  }
}

// Below HKEY_CURRENT_USER, from either edition: a re-pointed key stays; the
// keys the install made above its own go while empty.
TEST_P(HostChanges, TheUsersLoaderKeyTakesTheEmptyKeysItMadeWithIt) {
  MakeKey(Hive::CurrentUser, std::string(kAcadKey) + "\\R17.0");
  const LoaderChange change{{64, key_}, 4, {}, {}, Hive::CurrentUser};
  platform::Status status;
  WriteText(Hive::CurrentUser, key_, "LOADER", "D:\\Other\\ZV_BatchPlot2010.ARX");
  EXPECT_EQ(UndoLoader(change, kInstallDir, 32, &status), Undo::NotOurs);
  WriteText(Hive::CurrentUser, key_, "LOADER", kOurs);
  EXPECT_EQ(UndoLoader(change, kInstallDir, 32, &status), Undo::Removed);
  EXPECT_EQ(SubkeyNames(Hive::CurrentUser, kAcadKey), std::vector<std::string>{"R17.0"});
}

TEST_P(HostChanges, AListKeepsItsType) {
  const std::string list = "%USERPROFILE%\\lisp;" + kUpperDir;
  WriteList(platform::kRegExpandSz, list);
  platform::Status status;
  EXPECT_EQ(UndoTrustedPath({variables_, 0, TrustedPathChange::Before::Listed, "", {}}, kInstallDir, &status),
            Undo::Removed);
  platform::ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
  platform::ScopedKey key(registry(), registry().OpenRead(root.get(), variables_));
  platform::StoredValue value;
  ASSERT_EQ(platform::ReadValue(registry(), key.get(), "TRUSTEDPATHS", &value), platform::QueryResult::Ok);
  EXPECT_EQ(value.type, platform::kRegExpandSz);
  EXPECT_EQ(value.bytes, "%USERPROFILE%\\lisp");

  WriteList(platform::kRegMultiSz, kUpperDir);  // no list the install wrote
  EXPECT_EQ(UndoTrustedPath({variables_, 0, TrustedPathChange::Before::Listed, "", {}}, kInstallDir, &status),
            Undo::Unchanged);
}

TEST_P(HostChanges, AListThatCannotBeReadWholeIsNotWrittenBack) {
  WriteText(Hive::CurrentUser, variables_, "TRUSTEDPATHS", "D:\\LISP;" + kUpperDir);
  faults().MakeNotGbk(Hive::CurrentUser, variables_, "TRUSTEDPATHS");
  platform::Status status;
  EXPECT_EQ(UndoTrustedPath({variables_, 0, TrustedPathChange::Before::Listed, "", {}}, kInstallDir, &status), Undo::Failed);
  EXPECT_EQ(status.code(), platform::kErrorNoUnicodeTranslation);
  EXPECT_EQ(ReadText(Hive::CurrentUser, variables_, "TRUSTEDPATHS"), "D:\\LISP;" + kUpperDir);
}

INSTANTIATE_FOR_EVERY_REGISTRY(HostChanges);

class PlotDriverChange : public FilesWorldTest {};

TEST_P(PlotDriverChange, AutoCadsDriverComesBackOnlyOverOurs) {
  const std::string original = "AutoCAD's own", ours = "Zorvel's", other = "a later one";
  struct Case {
    const char* label;
    std::optional<std::string> inPlace;
    bool backup, replaced;
    Undo undo;
    std::optional<std::string> after;
  };
  const Case cases[] = {
      {"ours over a backup", ours, true, true, Undo::Restored, original},
      {"a backup and no driver", std::nullopt, true, true, Undo::Restored, original},
      {"another driver since", other, true, true, Undo::NotOurs, other},
      {"AutoCAD's back already", original, true, true, Undo::Unchanged, original},
      {"ours where there was none", ours, false, false, Undo::Removed, std::nullopt},
      {"ours that was there before", ours, false, true, Undo::Unchanged, ours},
      {"another where there was none", other, false, false, Undo::NotOurs, other},
      {"nothing", std::nullopt, false, false, Undo::Unchanged, std::nullopt},
  };
  const std::string driver = At("AutoCAD 2008\\Drv\\pdfplot9.hdi"), backup = At("Backup\\pdfplot9.hdi");
  world().MakeFile(driver, ours);
  platform::SetFiles(&files());
  const std::string fingerprint = FingerprintOf(driver);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.inPlace) world().MakeFile(driver, *c.inPlace);
    if (!c.inPlace) world().Remove(driver);
    if (c.backup) world().MakeFile(backup, original);
    platform::Status status;
    EXPECT_EQ(UndoPlotDriver({driver, c.replaced, fingerprint}, c.backup ? backup : "", &status), c.undo);
    EXPECT_EQ(world().Read(driver), c.after);
    if (c.backup) {
      EXPECT_EQ(world().Read(backup), original) << "the backup is the uninstall's to delete";
      world().Remove(backup);
    }
    world().MakeFile(driver, ours);
  }
  platform::SetFiles(nullptr);
}

INSTANTIATE_TEST_SUITE_P(AllFileServices, PlotDriverChange, testing::ValuesIn(FilesWorldKinds()), FilesWorldName);

}  // namespace
