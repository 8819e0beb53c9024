// The resources compiled into SetUp.exe: the dialog template 141 as the
// resource compiler made it from the script, and the pictures,
// icons and manifest must be what the program relies on. SetUp.exe is read
// as a data file from beside this test program.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/build_constants.h"
#include "platform/win32/text.h"
#include "ui/setup_template.h"

namespace {

constexpr WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

std::wstring SetUpPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"SetUp.exe";
}

// Reads a resource's bytes: WORDs, DWORDs, and the "ordinal or string"
// fields of dialog templates.
class Reader {
 public:
  Reader(const BYTE* data, DWORD size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  WORD Word() { return static_cast<WORD>(Take(2)); }
  DWORD Dword() { return Take(4); }
  void AlignDword() { offset_ = (offset_ + 3) & ~static_cast<DWORD>(3); }
  void Skip(DWORD bytes) {
    if (offset_ + bytes > size_) ok_ = false;
    offset_ += bytes;
  }
  // 0xFFFF then an ordinal, or a terminated UTF-16 string.
  struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring name;
  };
  NameOrOrdinal Field() {
    NameOrOrdinal field;
    WORD first = Word();
    if (first == 0xFFFF) {
      field.isOrdinal = true;
      field.ordinal = Word();
      return field;
    }
    for (WORD c = first; ok_ && c != 0; c = Word()) field.name += static_cast<wchar_t>(c);
    return field;
  }

 private:
  DWORD Take(DWORD bytes) {
    if (offset_ + bytes > size_) {
      ok_ = false;
      return 0;
    }
    DWORD value = 0;
    std::memcpy(&value, data_ + offset_, bytes);
    offset_ += bytes;
    return value;
  }

  const BYTE* data_;
  DWORD size_;
  DWORD offset_ = 0;
  bool ok_ = true;
};

class SetUpResources : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(SetUpPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "SetUp.exe is not beside the test program";
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  // The bytes of a resource in Chinese (PRC); fails the test when it is missing.
  std::vector<BYTE> Load(LPCWSTR type, WORD id) {
    HRSRC found = FindResourceExW(module_, type, MAKEINTRESOURCEW(id), kChinesePrc);
    EXPECT_NE(found, nullptr) << "resource " << id << " in Chinese (PRC)";
    if (!found) return {};
    auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    return std::vector<BYTE>(data, data + SizeofResource(module_, found));
  }

  HMODULE module_ = nullptr;
};

// Its rows are held against the description in the native build (the
// resource script beside ui/setup_template.cpp); here, what the resource
// compiler made of the script: an extended template in Chinese (PRC) with
// no menu and no class of its own, and every control without creation data.
TEST_F(SetUpResources, DialogTemplateIsAnExtendedOneOfTheDescribedControls) {
  std::vector<BYTE> bytes = Load(RT_DIALOG, kSetupDialogId);
  ASSERT_FALSE(bytes.empty());
  const platform::DialogTemplate& described = SetupDialogTemplate();
  Reader in(bytes.data(), static_cast<DWORD>(bytes.size()));
  EXPECT_EQ(in.Word(), 1) << "extended template version";
  EXPECT_EQ(in.Word(), 0xFFFF) << "extended template signature";
  EXPECT_EQ(in.Dword(), 0u) << "help id";
  EXPECT_EQ(in.Dword(), described.exStyle);
  EXPECT_EQ(in.Dword(), described.style);
  WORD count = in.Word();
  ASSERT_EQ(count, described.controlCount);
  in.Skip(8);  // position and size
  Reader::NameOrOrdinal menu = in.Field(), windowClass = in.Field(), caption = in.Field();
  EXPECT_TRUE(!menu.isOrdinal && menu.name.empty()) << "no menu";
  EXPECT_TRUE(!windowClass.isOrdinal && windowClass.name.empty()) << "no window class of its own";
  EXPECT_EQ(platform::win32::Narrow(caption.name), described.caption) << "the script's code page";
  in.Skip(6);  // point size, weight, italic and character set
  in.Field();  // the face

  for (WORD i = 0; i < count && in.ok(); ++i) {
    const platform::ControlTemplate& control = described.controls[i];
    SCOPED_TRACE("control #" + std::to_string(i) + ", id " + std::to_string(control.id));
    in.AlignDword();
    EXPECT_EQ(in.Dword(), 0u) << "help id";
    EXPECT_EQ(in.Dword(), 0u) << "extended style";
    EXPECT_EQ(in.Dword(), control.style) << "WS_VISIBLE as the script says";
    in.Skip(8);  // position and size
    EXPECT_EQ(static_cast<int>(in.Dword()), control.id);
    in.Field();  // the class
    in.Field();  // the text
    EXPECT_EQ(in.Word(), 0) << "no creation data";
  }
  EXPECT_TRUE(in.ok()) << "the template ended early";
}

TEST_F(SetUpResources, PicturesHaveTheirSizesAndDepths) {
  struct Row {
    WORD id;
    LONG width, height;
    WORD bits;
    DWORD compression;  // both pictures are mostly flat: run-length encoded
  };
  std::vector<Row> rows = {{kLogoBitmapId, 64, 64, 8, BI_RLE8}, {kMenuBitmapId, 307, 175, 4, BI_RLE4}};
  // The drawings for larger scales: the sizes the dialog chooses them by.
  for (int i = 1; i < 3; ++i) {
    rows.push_back({static_cast<WORD>(kLogoArt[i].resourceId), kLogoWidth * kLogoArt[i].scaleHalves / 2,
                    kLogoHeight * kLogoArt[i].scaleHalves / 2, 8, BI_RLE8});
    rows.push_back({static_cast<WORD>(kMenuArt[i].resourceId), kMenuWidth * kMenuArt[i].scaleHalves / 2,
                    kMenuHeight * kMenuArt[i].scaleHalves / 2, 8, BI_RLE8});
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    std::vector<BYTE> bytes = Load(RT_BITMAP, row.id);
    ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(header.biWidth, row.width);
    EXPECT_EQ(header.biHeight, row.height);
    EXPECT_EQ(header.biBitCount, row.bits);
    EXPECT_EQ(header.biCompression, row.compression);
    // What the picture control shows: the system decodes it whole.
    HBITMAP loaded = static_cast<HBITMAP>(LoadImageW(module_, MAKEINTRESOURCEW(row.id), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(loaded, nullptr);
    BITMAP shown = {};
    GetObjectW(loaded, sizeof shown, &shown);
    EXPECT_EQ(shown.bmWidth, row.width);
    EXPECT_EQ(shown.bmHeight, row.height);
    DeleteObject(loaded);
  }
}

// An icon image as a bitmap header, or, for a compressed 32-bit image, its
// PNG header: (width, height, bits).
std::tuple<int, int, int> IconImageShape(const std::vector<BYTE>& image) {
  static const BYTE kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (image.size() >= 26 && std::equal(std::begin(kPng), std::end(kPng), image.begin())) {
    auto big = [&](std::size_t at) {
      return static_cast<int>(image[at] << 24 | image[at + 1] << 16 | image[at + 2] << 8 | image[at + 3]);
    };
    const int channels = image[25] == 6 ? 4 : 0;  // colour type 6: RGBA
    return {big(16), big(20), image[24] * channels};
  }
  BITMAPINFOHEADER header = {};
  if (image.size() >= sizeof header) std::memcpy(&header, image.data(), sizeof header);
  // An icon image's height counts its colour and mask rows.
  return {header.biWidth, header.biHeight / 2, header.biBitCount};
}

TEST_F(SetUpResources, IconGroupsHoldTheirImages) {
  using Image = std::tuple<int, int, int>;  // width, height, bits
  struct Row {
    WORD group;
    std::set<Image> images;
  };
  const Row rows[] = {
      {kAppIconId,
       {{48, 48, 4}, {32, 32, 4}, {16, 16, 4}, {48, 48, 8}, {32, 32, 8}, {16, 16, 8}, {48, 48, 32}, {32, 32, 32},
        {16, 16, 32}}},
      {kDocumentIconId, {{32, 32, 4}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.group);
    std::vector<BYTE> bytes = Load(RT_GROUP_ICON, row.group);
    Reader in(bytes.data(), static_cast<DWORD>(bytes.size()));
    in.Word();
    EXPECT_EQ(in.Word(), 1) << "icon type";
    WORD count = in.Word();
    EXPECT_EQ(count, row.images.size());
    std::set<Image> seen;
    for (WORD i = 0; i < count && in.ok(); ++i) {
      in.Skip(4);  // width, height, colours, reserved, as bytes
      in.Word();   // planes
      in.Word();   // bits (read from the image itself below)
      in.Dword();  // size
      WORD iconId = in.Word();
      seen.insert(IconImageShape(Load(RT_ICON, iconId)));
    }
    EXPECT_EQ(seen, row.images);
    // The system makes an icon of the group at every size the program asks for.
    for (int size : {16, 32, 48}) {
      HICON icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(row.group), IMAGE_ICON, size, size, 0));
      EXPECT_NE(icon, nullptr) << size;
      DestroyIcon(icon);
    }
  }
}

TEST_F(SetUpResources, ManifestAsksForNoElevationCommonControls6AndPerMonitorScaling) {
  std::vector<BYTE> bytes = Load(MAKEINTRESOURCEW(24), 1);
  std::string manifest(bytes.begin(), bytes.end());
  for (const char* needle : {"level=\"asInvoker\"", "name=\"Microsoft.Windows.Common-Controls\"",
                             "version=\"6.0.0.0\"", ">PerMonitorV2</dpiAwareness>", ">true</dpiAware>"})
    EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR found) {
  reinterpret_cast<std::set<ULONG_PTR>*>(found)->insert(IS_INTRESOURCE(type) ? reinterpret_cast<ULONG_PTR>(type) : 0);
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::set<WORD>*>(found)->insert(language);
  return TRUE;
}

BOOL CALLBACK CollectLanguagesOfType(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) {
  EnumResourceLanguagesW(module, type, name, CollectLanguage, found);
  return TRUE;
}

TEST_F(SetUpResources, CarriesOnlyItsOwnKindsOfResourceAllInChinese) {
  std::set<ULONG_PTR> types;
  EnumResourceTypesW(module_, CollectType, reinterpret_cast<LONG_PTR>(&types));
  // bitmap, icon, dialog, icon group, version, manifest
  const std::set<ULONG_PTR> expected = {2, 3, 5, 14, 16, 24};
  EXPECT_EQ(types, expected) << "no string table or menu";
  std::set<WORD> languages;
  for (ULONG_PTR type : types)
    EnumResourceNamesW(module_, MAKEINTRESOURCEW(type), CollectLanguagesOfType, reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, std::set<WORD>{kChinesePrc});
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\080404B0\\") + name;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"";
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(SetUpVersion, FileAndProductVersionAreTheBuildDateAndRelease) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(SetUpPath().c_str(), &ignored);
  ASSERT_GT(size, 0u) << "SetUp.exe carries no version record";
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(SetUpPath().c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  const DWORD high = MAKELONG(kBuildDate % 10000 / 100, kBuildDate / 10000);
  const DWORD low = MAKELONG(kRelease, kBuildDate % 100);
  EXPECT_EQ(fixed->dwFileVersionMS, high);
  EXPECT_EQ(fixed->dwFileVersionLS, low);
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  const std::wstring version = platform::win32::Widen(ProductVersion(kThisBuild));
  struct Row {
    const wchar_t* name;
    std::wstring value;
  };
  const Row rows[] = {
      {L"FileVersion", version},
      {L"ProductVersion", version},
      {L"ProductName", platform::win32::Widen("Zorvel批打印软件")},
      {L"CompanyName", L"Zorvel"},
      {L"OriginalFilename", L"SetUp.exe"},
      {L"FileDescription", platform::win32::Widen("Zorvel批打印软件安装程序")},
  };
  for (const Row& row : rows) EXPECT_EQ(VersionString(info, row.name), row.value) << platform::win32::Narrow(row.name);
}

}  // namespace
