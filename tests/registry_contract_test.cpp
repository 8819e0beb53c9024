// What the discovery and the AutoCAD integration rely on from the registry
// service, checked against every implementation: the in-memory registry must
// not drift from Windows (Wine).
#include <cstring>

#include "platform/mbcs.h"

#include "tests/fakes/faulty_registry.h"
#include "tests/registry_world.h"

namespace {

using platform::Hive;
using platform::QueryResult;
using platform::RegKey;
using platform::ScopedKey;

const char kScratch[] = "SOFTWARE\\ZorvelRegistryContract";

class RegistryContract : public RegistryWorldTest {
 protected:
  RegistryContract()
      : RegistryWorldTest({{Hive::CurrentUser, kScratch}, {Hive::LocalMachine, kScratch}}) {}

  std::string At(const std::string& path) { return std::string(kScratch) + "\\" + path; }

  // Opens a scratch key for the test's own calls; closed by the ScopedKey.
  RegKey OpenScratch(const std::string& path = "") {
    ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
    return registry().Create(root.get(), path.empty() ? kScratch : At(path));
  }
};

TEST_P(RegistryContract, SubkeysAreEnumeratedInCaseInsensitiveOrder) {
  for (const char* name : {"b", "A", "ab2", "AB10", "Z", "1", "ACAD-8001:804", "acad-7001:409"})
    MakeKey(Hive::CurrentUser, At(name));
  EXPECT_EQ(SubkeyNames(Hive::CurrentUser, kScratch),
            (std::vector<std::string>{"1", "A", "AB10", "ab2", "acad-7001:409", "ACAD-8001:804", "b", "Z"}));
}

// Where Windows and Wine differ, the in-memory registry follows Wine.
TEST_P(RegistryContract, UnderscoreSortsBeforeLettersAsOnWine) {
  for (const char* name : {"a_b", "AB", "_z", "A"}) MakeKey(Hive::CurrentUser, At(name));
  EXPECT_EQ(SubkeyNames(Hive::CurrentUser, kScratch), (std::vector<std::string>{"_z", "A", "a_b", "AB"}));
}

TEST_P(RegistryContract, NamesAreCaseInsensitiveAndKeepTheirCase) {
  MakeKey(Hive::CurrentUser, At("MixedCase"));
  MakeKey(Hive::CurrentUser, At("MIXEDCASE\\Inner"));
  EXPECT_EQ(SubkeyNames(Hive::CurrentUser, kScratch), std::vector<std::string>{"MixedCase"});
  WriteText(Hive::CurrentUser, At("mixedcase"), "Value", "one");
  EXPECT_EQ(ReadText(Hive::CurrentUser, At("MIXEDCASE"), "VALUE"), "one");
}

TEST_P(RegistryContract, PathsMayEndInABackslash) {
  MakeKey(Hive::CurrentUser, At("Product\\"));
  ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
  ScopedKey open(registry(), registry().Open(root.get(), At("Product\\")));
  ScopedKey read(registry(), registry().OpenRead(root.get(), At("Product\\")));
  EXPECT_TRUE(open);
  EXPECT_TRUE(read);
  EXPECT_TRUE(registry().DeleteKey(root.get(), At("Product\\")));
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, At("Product")));
}

TEST_P(RegistryContract, CreateMakesMissingParentsAndKeepsExistingValues) {
  WriteText(Hive::CurrentUser, At("A"), "Keep", "kept");
  MakeKey(Hive::CurrentUser, At("A\\B\\C"));
  EXPECT_TRUE(KeyExists(Hive::CurrentUser, At("A\\B\\C")));
  EXPECT_EQ(ReadText(Hive::CurrentUser, At("A"), "Keep"), "kept");
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, At("A\\Missing")));
}

TEST_P(RegistryContract, HivesAreSeparate) {
  MakeKey(Hive::CurrentUser, At("UserOnly"));
  EXPECT_FALSE(KeyExists(Hive::LocalMachine, At("UserOnly")));
}

TEST_P(RegistryContract, DeleteRemovesOnlyAKeyWithoutSubkeys) {
  MakeKey(Hive::CurrentUser, At("Parent\\Child"));
  ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
  EXPECT_EQ(registry().DeleteKey(root.get(), At("Parent")).code(), platform::kErrorAccessDenied);
  EXPECT_TRUE(KeyExists(Hive::CurrentUser, At("Parent\\Child")));
  EXPECT_TRUE(registry().DeleteKey(root.get(), At("Parent\\Child")));
  EXPECT_TRUE(registry().DeleteKey(root.get(), At("Parent")));
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, At("Parent")));
  EXPECT_EQ(registry().DeleteKey(root.get(), At("Parent")).code(), platform::kErrorFileNotFound);
  EXPECT_FALSE(registry().DeleteKey(root.get(), ""));
}

TEST_P(RegistryContract, AnEmptyPathOpensTheSameKeyAsANewHandle) {
  WriteText(Hive::CurrentUser, At("K"), "V", "x");
  ScopedKey key(registry(), OpenScratch("K"));
  { ScopedKey again(registry(), registry().Open(key.get(), "")); ASSERT_TRUE(again); }
  { ScopedKey again(registry(), registry().OpenRead(key.get(), "")); ASSERT_TRUE(again); }
  std::uint32_t size = 0;
  EXPECT_EQ(registry().QueryValue(key.get(), "V", nullptr, nullptr, &size), QueryResult::Ok)
      << "closing the second handle closed the first";
}

TEST_P(RegistryContract, TextStoredWithoutTerminatorReadsBackTerminated) {
  struct Case { std::string text; };
  const Case cases[] = {{"C:\\Zorvel\\Zorvel批打印软件"}, {"x"}, {""}};
  ScopedKey key(registry(), OpenScratch());
  for (const Case& c : cases) {
    ASSERT_TRUE(registry().SetValue(key.get(), "T", platform::kRegSz, c.text.data(),
                                    static_cast<std::uint32_t>(c.text.size())));
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    std::uint32_t type = 0, size = sizeof buffer;
    ASSERT_EQ(registry().QueryValue(key.get(), "T", &type, buffer, &size), QueryResult::Ok) << c.text;
    EXPECT_EQ(type, platform::kRegSz);
    EXPECT_EQ(size, c.text.size() + 1) << c.text;
    EXPECT_EQ(std::string(buffer), c.text);
  }
}

TEST_P(RegistryContract, TextStoredWithTerminatorReadsBackWithOne) {
  const char text[] = "abc";
  ScopedKey key(registry(), OpenScratch());
  ASSERT_TRUE(registry().SetValue(key.get(), "T", platform::kRegSz, text, sizeof text));
  char buffer[8] = {};
  std::uint32_t size = sizeof buffer;
  ASSERT_EQ(registry().QueryValue(key.get(), "T", nullptr, buffer, &size), QueryResult::Ok);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(buffer, "abc");
}

TEST_P(RegistryContract, ATextOfNBytesNeedsNPlusOne) {
  struct Case { std::size_t length; QueryResult expected; };
  const Case cases[] = {{254, QueryResult::Ok}, {255, QueryResult::Ok}, {256, QueryResult::MoreData},
                        {300, QueryResult::MoreData}, {20000, QueryResult::MoreData}};
  ScopedKey key(registry(), OpenScratch());
  for (const Case& c : cases) {
    std::string text(c.length, 'a');
    ASSERT_TRUE(registry().SetValue(key.get(), "T", platform::kRegSz, text.data(),
                                    static_cast<std::uint32_t>(text.size())));
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(registry().QueryValue(key.get(), "T", nullptr, buffer, &size), c.expected) << c.length;
    EXPECT_EQ(size, c.length + 1) << c.length;
    if (c.expected == QueryResult::MoreData) {
      EXPECT_EQ(buffer[0], '#') << "buffer touched for " << c.length;
    }
  }
}

TEST_P(RegistryContract, DwordAndMissingValues) {
  WriteDword(Hive::CurrentUser, kScratch, "D", 2);
  EXPECT_EQ(ReadDword(Hive::CurrentUser, kScratch, "D"), 2u);
  ScopedKey key(registry(), OpenScratch());
  std::uint32_t size = 4;
  char buffer[4];
  EXPECT_EQ(registry().QueryValue(key.get(), "Missing", nullptr, buffer, &size), QueryResult::NotFound);
}

TEST_P(RegistryContract, GbkNamesAndValuesRoundTrip) {
  // "\x95\x5C" is a double-byte character whose second byte is a backslash.
  const std::string name = "配置\x95\x5C" "1";
  const std::string text = "D:\\软件\\\x95\x5C\\AutoCAD 2014";
  WriteText(Hive::CurrentUser, At(name), "名称", text);
  EXPECT_EQ(SubkeyNames(Hive::CurrentUser, kScratch), std::vector<std::string>{name});
  EXPECT_EQ(ReadText(Hive::CurrentUser, At(name), "名称"), text);
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, At("配置\x95")));
  // "Søren" and "김", whose characters GBK lacks, in their four-byte forms.
  const std::string soren = "S\x81\x30\x99\x38ren", kim = "\x84\x35\xB3\x38";
  WriteText(Hive::CurrentUser, At(soren), kim, "C:\\" + kim + ";" + soren);
  EXPECT_EQ(ReadText(Hive::CurrentUser, At(soren), kim), "C:\\" + kim + ";" + soren);
  EXPECT_EQ(SubkeyNames(Hive::CurrentUser, kScratch), (std::vector<std::string>{soren, name}));
}

TEST_P(RegistryContract, NamesAndTextsThatAreNotGbkAreRefused) {
  // A lead byte without its trail byte: Windows has no character for it, so
  // no key, value name or text can hold it.
  const std::string bad = "R\xE7";
  ScopedKey key(registry(), OpenScratch());
  platform::Status status;
  ScopedKey created(registry(), registry().Create(key.get(), bad, &status));
  EXPECT_FALSE(created);
  EXPECT_EQ(status.code(), platform::kErrorNoUnicodeTranslation);
  EXPECT_EQ(registry().SetValue(key.get(), bad, platform::kRegDword, "\0\0\0\0", 4).code(),
            platform::kErrorNoUnicodeTranslation);
  for (std::uint32_t type : {platform::kRegSz, platform::kRegExpandSz})
    EXPECT_EQ(registry().SetValue(key.get(), "T", type, bad.data(), 2).code(), platform::kErrorNoUnicodeTranslation);
  EXPECT_TRUE(registry().SetValue(key.get(), "B", platform::kRegBinary, bad.data(), 2)) << "bytes are no text";
  EXPECT_EQ(SubkeyNames(Hive::CurrentUser, kScratch), std::vector<std::string>{});
  EXPECT_EQ(ReadText(Hive::CurrentUser, kScratch, "T"), std::nullopt);
}

TEST_P(RegistryContract, EnumerationNeedsRoomForTheTerminator) {
  const std::string name(20, 'n');
  MakeKey(Hive::CurrentUser, At(name));
  ScopedKey key(registry(), OpenScratch());
  struct Case { std::uint32_t index; std::uint32_t bufferSize; bool ok; };
  const Case cases[] = {{0, 21, true}, {0, 20, false}, {0, 1, false}, {1, 256, false}};
  for (const Case& c : cases) {
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(registry().EnumSubkey(key.get(), c.index, buffer, c.bufferSize), c.ok) << c.bufferSize;
    if (c.ok) {
      EXPECT_EQ(std::string(buffer), name);
    } else {
      EXPECT_EQ(buffer[0], '#') << "buffer touched at size " << c.bufferSize;
    }
  }
}

TEST_P(RegistryContract, ADeletedKeyIsDeadForItsOpenHandles) {
  MakeKey(Hive::CurrentUser, At("Gone\\Child"));
  ScopedKey gone(registry(), OpenScratch("Gone"));
  ScopedKey root(registry(), registry().OpenHive(Hive::CurrentUser));
  ASSERT_TRUE(registry().DeleteKey(root.get(), At("Gone\\Child")));
  ASSERT_TRUE(registry().DeleteKey(root.get(), At("Gone")));
  std::uint32_t count = 0;
  char name[256];
  const char value[] = "v";
  EXPECT_FALSE(registry().SubkeyCount(gone.get(), &count) && count > 0);
  EXPECT_FALSE(registry().EnumSubkey(gone.get(), 0, name, sizeof name));
  EXPECT_EQ(registry().SetValue(gone.get(), "V", platform::kRegSz, value, 1).code(), platform::kErrorKeyDeleted);
}

TEST_P(RegistryContract, ValuesAreCountedAndDeletedByName) {
  WriteText(Hive::CurrentUser, At("K"), "LOADER", "x");
  WriteDword(Hive::CurrentUser, At("K"), "LOADCTRLS", 2);
  MakeKey(Hive::CurrentUser, At("K\\Sub"));
  ScopedKey key(registry(), OpenScratch("K"));
  std::uint32_t count = 0;
  ASSERT_TRUE(registry().ValueCount(key.get(), &count));
  EXPECT_EQ(count, 2u) << "sub-keys are not values";
  EXPECT_TRUE(registry().DeleteValue(key.get(), "loader"));
  EXPECT_EQ(registry().DeleteValue(key.get(), "LOADER").code(), platform::kErrorFileNotFound);
  EXPECT_FALSE(ReadText(Hive::CurrentUser, At("K"), "LOADER"));
  EXPECT_EQ(ReadDword(Hive::CurrentUser, At("K"), "LOADCTRLS"), 2u);
  ASSERT_TRUE(registry().ValueCount(key.get(), &count));
  EXPECT_EQ(count, 1u);
}

TEST_P(RegistryContract, ReadValueDeliversAnyLengthWithoutTheAddedTerminator) {
  struct Case {
    std::uint32_t type;
    std::string bytes;
  };
  const Case cases[] = {
      {platform::kRegSz, "C:\\Zorvel\\Zorvel批打印软件\\ZV_BatchPlot2010.ARX"},
      {platform::kRegSz, std::string(20000, 'p')},
      {platform::kRegSz, ""},
      {platform::kRegExpandSz, "%APPDATA%\\Zorvel"},
      {platform::kRegDword, std::string("\x02\0\0\0", 4)},
      {platform::kRegBinary, std::string("\0\x01\0", 3)},
  };
  ScopedKey key(registry(), OpenScratch());
  for (const Case& c : cases) {
    ASSERT_TRUE(registry().SetValue(key.get(), "V", c.type, c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size())));
    platform::StoredValue value;
    EXPECT_EQ(platform::ReadValue(registry(), key.get(), "V", &value), QueryResult::Ok) << c.bytes.size();
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.bytes, c.bytes);
  }
  platform::StoredValue value;
  EXPECT_EQ(platform::ReadValue(registry(), key.get(), "Missing", &value), QueryResult::NotFound);
}

// The failure shim stacks over either registry and fails alike on both.
TEST_P(RegistryContract, TheShimDeniesWritesButExistingKeysStillOpen) {
  MakeKey(Hive::CurrentUser, At("Existing"));
  platform::FaultyRegistry faulty(registry());
  faulty.DenyWrites(Hive::CurrentUser, At("Existing"));
  ScopedKey root(faulty, faulty.OpenHive(Hive::CurrentUser));
  platform::Status status;
  ScopedKey existing(faulty, faulty.Create(root.get(), mbcs::ToLower(At("Existing")) + "\\", &status));
  ASSERT_TRUE(existing);
  EXPECT_TRUE(status.ok());
  const char value[] = "v";
  EXPECT_EQ(faulty.SetValue(existing.get(), "V", platform::kRegSz, value, 1).code(), platform::kErrorAccessDenied);
  EXPECT_FALSE(faulty.Create(root.get(), At("Existing\\New"), &status));
  EXPECT_EQ(status.code(), platform::kErrorAccessDenied);
  EXPECT_FALSE(faulty.DeleteKey(root.get(), At("Existing")));
  WriteText(Hive::CurrentUser, At("Existing"), "Old", "kept");
  EXPECT_EQ(faulty.DeleteValue(existing.get(), "Old").code(), platform::kErrorAccessDenied);
  EXPECT_EQ(ReadText(Hive::CurrentUser, At("Existing"), "Old"), "kept");
  ScopedKey sibling(faulty, faulty.Create(root.get(), At("Existing2\\New")));
  EXPECT_TRUE(sibling) << "a sibling whose name only begins like the denied key";
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, At("Existing\\New")));
  EXPECT_FALSE(ReadText(Hive::CurrentUser, At("Existing"), "V"));
}

TEST_P(RegistryContract, TheShimMakesKeysVanishAndNamesFail) {
  for (const char* name : {"A", "B\\Deep", "C"}) MakeKey(Hive::CurrentUser, At(name));
  platform::FaultyRegistry faulty(registry());
  faulty.VanishWhenListed(Hive::CurrentUser, At("b"));
  faulty.FailEnumAt(Hive::CurrentUser, kScratch, 0);
  faulty.DenyOpen(Hive::CurrentUser, At("C"));
  ScopedKey root(faulty, faulty.OpenHive(Hive::CurrentUser));
  ScopedKey scratch(faulty, faulty.OpenRead(root.get(), kScratch));
  char name[platform::kKeyNameBufferBytes];
  EXPECT_FALSE(faulty.EnumSubkey(scratch.get(), 0, name, sizeof name));
  ASSERT_TRUE(faulty.EnumSubkey(scratch.get(), 1, name, sizeof name));
  EXPECT_STREQ(name, "B");
  EXPECT_FALSE(KeyExists(Hive::CurrentUser, At("B"))) << "deleted, with what lay below it, once listed";
  EXPECT_FALSE(ScopedKey(faulty, faulty.OpenRead(scratch.get(), "C")));
  EXPECT_TRUE(ScopedKey(registry(), OpenScratch("C"))) << "only through the shim";
}

INSTANTIATE_FOR_EVERY_REGISTRY(RegistryContract);

}  // namespace
