#include "record/install_record.h"

#include <algorithm>
#include <cstdint>

#include "deploy/payload.h"
#include "hosts/acad_hosts.h"
#include "platform/files.h"
#include "platform/mbcs.h"

namespace {

using platform::Hive;
using platform::StoredValue;

constexpr char kComment[] = "; Zorvel批打印软件的安装记录：卸载时只删除这里记下的内容。";
constexpr char kHeader[] = "[ZorvelInstallRecord]";
constexpr char kEnd[] = "[End]";
// 2: a TRUSTEDPATHS list's value exactly as it was. A version-1 record
// still reads: its lines mean what they meant.
constexpr int kVersion = 2;

constexpr char kVariablesTail[] = "\\Variables";
constexpr char kGeneralTail[] = "\\General";

// The values of yes-or-no fields.
constexpr char kNew[] = "new";
constexpr char kReplaced[] = "replaced";
constexpr char kCreated[] = "created";

// What a TRUSTEDPATHS list the install replaced may have held.
constexpr std::size_t kMaxReplacedListBytes = 2;

// --- Fields --------------------------------------------------------------

bool MustEscape(unsigned char c) { return c == '%' || c == '|' || c < 0x20 || c == 0x7F; }

std::string Escape(std::string_view field) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : field) {
    if (!MustEscape(c)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0x0F]);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(field[i]);
    if (c != '%') {
      if (MustEscape(c)) return std::nullopt;
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (i + 2 >= field.size()) return std::nullopt;
    const int high = HexDigit(field[i + 1]), low = HexDigit(field[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

// A value's fields, unescaped. Every '|' separates: the fields escape theirs,
// also a '|' that is the second byte of a double-byte character.
std::optional<std::vector<std::string>> SplitFields(std::string_view value) {
  std::vector<std::string> fields;
  for (std::size_t start = 0;;) {
    const std::size_t bar = value.find('|', start);
    std::optional<std::string> field = Unescape(value.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (!field) return std::nullopt;
    fields.push_back(std::move(*field));
    if (bar == std::string_view::npos) return fields;
    start = bar + 1;
  }
}

std::string JoinFields(std::initializer_list<std::string> fields) {
  std::string out;
  for (const std::string& field : fields) {
    if (&field != fields.begin()) out.push_back('|');
    out += Escape(field);
  }
  return out;
}

std::optional<int> Number(const std::string& text, int lowest, int highest) {
  if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int number = std::stoi(text);
  if (number < lowest || number > highest) return std::nullopt;
  return number;
}

std::optional<bool> Replaced(const std::string& text) {
  if (text == kReplaced) return true;
  if (text == kNew) return false;
  return std::nullopt;
}

const char* ReplacedText(bool replaced) { return replaced ? kReplaced : kNew; }

// A value before the install: "-" for none, else "<type>:<value as events
// report it>".
std::string ValueField(const std::optional<StoredValue>& value) {
  if (!value) return "-";
  return mbcs::Decimal(value->type) + ":" + ValueText(*value);
}

std::optional<std::optional<StoredValue>> ParseValueField(const std::string& text) {
  if (text == "-") return std::optional<StoredValue>();
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const std::optional<int> type = Number(text.substr(0, colon), 0, 11);  // REG_NONE .. REG_QWORD
  if (!type) return std::nullopt;
  return std::optional<StoredValue>(StoredValueOf(static_cast<std::uint32_t>(*type), text.substr(colon + 1)));
}

// --- Paths a record may name ----------------------------------------------

// One file name, no folder: nothing the uninstall deletes lies outside the
// install folder.
bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (std::size_t i = 0; i < name.size(); i += mbcs::CharLength(name, i)) {
    if (mbcs::CharLength(name, i) == 1 && std::string_view("\\/:*?\"<>|").find(name[i]) != std::string_view::npos)
      return false;
  }
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether byte `pos` of `name` begins a character (is no second byte).
bool BeginsCharacter(const std::string& name, std::size_t pos) {
  std::size_t i = 0;
  while (i < pos) i += mbcs::CharLength(name, i);
  return i == pos;
}

// A short (8.3) name as Windows makes them, "README~1.TXT": it may be
// another file's alias.
bool IsShortAlias(const std::string& name) {
  const std::size_t dot = name.find('.');
  const std::size_t baseBytes = dot == std::string::npos ? name.size() : dot;
  if (baseBytes > 8 || (dot != std::string::npos && (name.size() - dot - 1 > 3 || name.find('.', dot + 1) != std::string::npos)))
    return false;
  std::size_t digits = 0;
  while (digits < baseBytes && IsDigit(name[baseBytes - 1 - digits])) ++digits;
  if (digits == 0 || digits >= baseBytes) return false;
  const std::size_t tilde = baseBytes - 1 - digits;
  return name[tilde] == '~' && BeginsCharacter(name, tilde);
}

// CON, NUL, COM1, LPT1 ...: with any extension, and spaces before it, the
// name opens the device.
bool IsDeviceName(const std::string& name) {
  static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                         "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                         "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$"};
  std::string_view base = std::string_view(name).substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  return std::any_of(std::begin(kDevices), std::end(kDevices),
                     [&](const char* device) { return mbcs::EqualsNoCase(base, device); });
}

// A name Windows would take for another file (it drops trailing dots and
// spaces) or a device: removing "it" would remove something else.
bool NamesAnotherFile(const std::string& name) {
  return name.back() == '.' || name.back() == ' ' || IsShortAlias(name) || IsDeviceName(name);
}

// A whole path from a drive letter, without empty, "." or ".." steps.
bool IsAbsolutePath(const std::string& path) {
  if (path.size() < 4 || !((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) ||
      path[1] != ':' || path[2] != '\\')
    return false;
  for (std::string_view step : mbcs::Split(std::string_view(path).substr(3), '\\')) {
    if (step.empty() || step == "." || step == "..") return false;
  }
  return true;
}

const SupportFile& PlotDriver() {
  return *std::find_if(std::begin(kSupportFiles), std::end(kSupportFiles),
                       [](const SupportFile& file) { return file.plotDriver; });
}

// Where the install puts a plot driver: <location>\Drv\pdfplot9.hdi.
bool IsDriverPath(const std::string& path) {
  const SupportFile& driver = PlotDriver();
  return IsAbsolutePath(path) && mbcs::EqualsNoCase(mbcs::FileNameOf(path), driver.installedAs) &&
         mbcs::EqualsNoCase(mbcs::FileNameOf(mbcs::FolderOf(path)), driver.folder);
}

bool IsFingerprint(const std::string& text) {
  const std::size_t colon = text.find(':');
  return colon != std::string::npos && colon > 0 && text.size() == colon + 17 &&
         std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon),
                     [](char c) { return c >= '0' && c <= '9'; }) &&
         std::all_of(text.begin() + static_cast<std::ptrdiff_t>(colon) + 1, text.end(),
                     [](char c) { return HexDigit(c) >= 0; });
}

// Below an AutoCAD key of the current user or the local machine.
bool IsBelowAutoCad(const std::string& key) { return mbcs::StartsWithNoCase(key, std::string(kAcadKeyPath) + "\\"); }

// <AutoCAD key>\...\`tail`, with something between the two.
template <std::size_t N>
bool IsProfileKey(const std::string& key, const char (&tail)[N]) {
  return IsBelowAutoCad(key) && mbcs::EndsWithNoCase(key, tail) && key.size() > sizeof kAcadKeyPath + N;
}

bool IsVariablesKey(const std::string& key) { return IsProfileKey(key, kVariablesTail); }
bool IsGeneralKey(const std::string& key) { return IsProfileKey(key, kGeneralTail); }

// --- Lines -----------------------------------------------------------------

using Fields = std::vector<std::string>;

struct LineKind {
  const char* name;
  std::size_t fields;
  bool (*parse)(const Fields& fields, InstallRecord& record);
  std::size_t added = 0;  // fields at the end that records of earlier versions lack
};

bool ParseParent(const Fields& f, InstallRecord& r) {
  if (f[0] != kCreated) return false;
  r.parentCreated = true;
  return true;
}

// A file or backup name the uninstall may remove.
bool IsOwnName(const std::string& name) { return IsPlainName(name) && !NamesAnotherFile(name); }

bool ParseFile(const Fields& f, InstallRecord& r) {
  if (!IsOwnName(f[0]) || mbcs::EqualsNoCase(f[0], kRecordName)) return false;
  r.files.push_back(f[0]);
  return true;
}

bool ParseBackup(const Fields& f, InstallRecord& r) {
  if (!IsOwnName(f[0]) || !IsDriverPath(f[1])) return false;
  r.backups.push_back({f[0], f[1]});
  return true;
}

bool ParseFont(const Fields& f, InstallRecord& r) {
  const std::optional<bool> replaced = Replaced(f[1]);
  if (!IsAbsolutePath(f[0]) || !replaced) return false;
  r.fonts.push_back({f[0], *replaced, std::string()});
  return true;
}

bool ParseDriver(const Fields& f, InstallRecord& r) {
  const std::optional<bool> replaced = Replaced(f[1]);
  if (!IsDriverPath(f[0]) || !replaced || !IsFingerprint(f[2])) return false;
  r.drivers.push_back({f[0], *replaced, f[2]});
  return true;
}

// "HKCU" in place of the view: below HKEY_CURRENT_USER, which has no views
// and where the install may have made the keys up to Autodesk.
constexpr char kUserLoader[] = "HKCU";

bool ParseLoader(const Fields& f, InstallRecord& r) {
  const bool user = f[0] == kUserLoader;
  const std::optional<int> view = user ? std::optional<int>(kOwnRegistryView) : Number(f[0], 32, 64);
  const std::optional<int> levels = Number(f[2], 0, user ? kMaxUserLoaderLevels : 2);
  const auto loadCtrls = ParseValueField(f[3]), loader = ParseValueField(f[4]);
  if (!view || (*view != 32 && *view != 64) || !IsBelowAutoCad(f[1]) || !IsLoaderKeyPath(f[1]) || !levels ||
      !loadCtrls || !loader)
    return false;
  r.loaders.push_back({{*view, f[1]}, *levels, *loadCtrls, *loader, user ? Hive::CurrentUser : Hive::LocalMachine});
  return true;
}

// A list's value as it was: "-" for none, else "<type>:<bytes>" (its zero
// bytes escaped as every control byte is).
std::string OriginalField(const std::optional<StoredValue>& value) {
  return value ? mbcs::Decimal(value->type) + ":" + value->bytes : std::string("-");
}

// A profile's list as a Trusted or Support line names it. A support path
// only ever joined a list of the user's (never empty, never made).
std::optional<TrustedPathChange> ParseProfileList(const Fields& f, bool support) {
  const std::optional<int> levels = Number(f[1], 0, support ? 0 : 1);
  if (!(support ? IsGeneralKey(f[0]) : IsVariablesKey(f[0])) || !levels || f[2].empty()) return std::nullopt;
  TrustedPathChange change{f[0], *levels, TrustedPathChange::Before::Missing, std::string(), std::nullopt};
  if (f[2] == "+") {
    change.before = TrustedPathChange::Before::Listed;
  } else if (!support && f[2][0] == '=' && f[2].size() - 1 <= kMaxReplacedListBytes) {
    change.before = TrustedPathChange::Before::Replaced;
    change.replaced = f[2].substr(1);
  } else if (support || f[2] != "-") {
    return std::nullopt;
  }
  if (f.size() > 3 && f[3] != "-") {
    const std::size_t colon = f[3].find(':');
    const std::optional<int> type = Number(f[3].substr(0, colon), 1, 2);  // REG_SZ, REG_EXPAND_SZ
    if (colon == std::string::npos || !type || change.before == TrustedPathChange::Before::Missing) return std::nullopt;
    std::string bytes = f[3].substr(colon + 1);
    // The text the install read from it is the one the line names.
    const std::string text = bytes.substr(0, bytes.find('\0'));
    const bool replaced = change.before == TrustedPathChange::Before::Replaced;
    const std::size_t shortest = support ? 0 : kMaxReplacedListBytes;
    if (replaced ? text != change.replaced : text.size() <= shortest) return std::nullopt;
    change.original = StoredValue{static_cast<std::uint32_t>(*type), std::move(bytes)};
  }
  return change;
}

bool ParseTrusted(const Fields& f, InstallRecord& r) {
  std::optional<TrustedPathChange> change = ParseProfileList(f, false);
  if (change) r.trustedPaths.push_back(std::move(*change));
  return change.has_value();
}

bool ParseSupport(const Fields& f, InstallRecord& r) {
  std::optional<SupportPathChange> change = ParseProfileList(f, true);
  if (change) r.supportPaths.push_back(std::move(*change));
  return change.has_value();
}

bool ParseEntry(const Fields& f, InstallRecord& r) {
  const std::optional<int> view = Number(f[1], 32, 64);
  if (f[0] == "HKCU" && f[1] == "-") {
    r.entries.push_back({Hive::CurrentUser, 0});
    return true;
  }
  if (f[0] != "HKLM" || !view || (*view != 32 && *view != 64)) return false;
  r.entries.push_back({Hive::LocalMachine, *view});
  return true;
}

bool ParseCurrentUser(const Fields& f, InstallRecord& r) {
  if (f[0] != "1") return false;
  r.currentUser = true;
  return true;
}

bool ParseAllUsers(const Fields& f, InstallRecord& r) {
  const std::optional<int> serial = Number(f[0], 1, 999999999);
  if (!serial) return false;
  r.allUsers = static_cast<std::uint32_t>(*serial);
  return true;
}

bool ParseSettings(const Fields& f, InstallRecord& r) {
  if (!IsAbsolutePath(f[0])) return false;
  r.settings = f[0];
  return true;
}

bool ParseSettingsKept(const Fields& f, InstallRecord& r) {
  if (!IsAbsolutePath(f[0])) return false;
  r.settingsKept = f[0];
  return true;
}

const LineKind kLineKinds[] = {
    {"Parent", 1, ParseParent},   {"File", 1, ParseFile},       {"Backup", 2, ParseBackup},
    {"Font", 2, ParseFont},       {"Driver", 3, ParseDriver},   {"Loader", 5, ParseLoader},
    {"Trusted", 4, ParseTrusted, 1}, {"Support", 4, ParseSupport}, {"Entry", 2, ParseEntry},     {"Settings", 1, ParseSettings},
    {"SettingsKept", 1, ParseSettingsKept}, {"AllUsers", 1, ParseAllUsers},
    {"CurrentUser", 1, ParseCurrentUser},
};

std::string Line(const char* name, const std::string& value) { return std::string(name) + "=" + value + "\r\n"; }

// Whether `line` ("Name=fields") is understood; appends what it names.
bool ParseLine(std::string_view line, InstallRecord& record) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view name = line.substr(0, equals);
  for (const LineKind& kind : kLineKinds) {
    if (name != kind.name) continue;
    const std::optional<Fields> fields = SplitFields(line.substr(equals + 1));
    if (!fields || fields->size() > kind.fields || fields->size() < kind.fields - kind.added) return false;
    InstallRecord parsed;
    if (!kind.parse(*fields, parsed)) return false;
    MergeInto(record, parsed);
    return true;
  }
  return false;
}

// Whether a line was refused for naming a file Windows would take for
// another, so that its reader can say so.
bool RefusedForItsName(std::string_view line) {
  for (std::string_view kind : {"File=", "Backup="}) {
    if (line.substr(0, kind.size()) != kind) continue;
    const std::optional<Fields> fields = SplitFields(line.substr(kind.size()));
    return fields && IsPlainName(fields->front()) && NamesAnotherFile(fields->front());
  }
  return false;
}

template <typename Item, typename Same>
void AddMissing(std::vector<Item>& to, const std::vector<Item>& from, Same same) {
  for (const Item& item : from) {
    if (std::none_of(to.begin(), to.end(), [&](const Item& have) { return same(have, item); })) to.push_back(item);
  }
}

bool SameKey(const ViewedKey& a, const ViewedKey& b) { return a.view == b.view && mbcs::EqualsNoCase(a.path, b.path); }

// When two records name the same thing.
bool SameName(const std::string& a, const std::string& b) { return mbcs::EqualsNoCase(a, b); }
bool SameBackup(const BackupChange& a, const BackupChange& b) { return mbcs::EqualsNoCase(a.name, b.name); }
bool SameSupport(const SupportChange& a, const SupportChange& b) { return mbcs::EqualsNoCase(a.path, b.path); }
bool SameLoader(const LoaderChange& a, const LoaderChange& b) {
  return a.hive == b.hive && (a.hive == Hive::CurrentUser ? SameName(a.key.path, b.key.path) : SameKey(a.key, b.key));
}
bool SameList(const TrustedPathChange& a, const TrustedPathChange& b) { return mbcs::EqualsNoCase(a.key, b.key); }
bool SameEntry(const EntryChange& a, const EntryChange& b) { return a.hive == b.hive && a.view == b.view; }

template <typename Item, typename Same>
std::vector<Item> NotIn(const std::vector<Item>& items, const std::vector<Item>& other, Same same) {
  std::vector<Item> left;
  for (const Item& item : items) {
    if (std::none_of(other.begin(), other.end(), [&](const Item& have) { return same(have, item); }))
      left.push_back(item);
  }
  return left;
}

}  // namespace

bool InstallRecord::NamesNothing() const {
  return files.empty() && backups.empty() && drivers.empty() && loaders.empty() && trustedPaths.empty() &&
         supportPaths.empty() && entries.empty() && allUsers == 0;
}

void MergeInto(InstallRecord& earlier, const InstallRecord& later) {
  earlier.parentCreated = earlier.parentCreated || later.parentCreated;
  AddMissing(earlier.files, later.files, SameName);
  AddMissing(earlier.backups, later.backups, SameBackup);
  AddMissing(earlier.fonts, later.fonts, SameSupport);
  // What is in place now is the later install's driver.
  for (const SupportChange& driver : later.drivers) {
    auto same = std::find_if(earlier.drivers.begin(), earlier.drivers.end(),
                             [&](const SupportChange& have) { return SameSupport(have, driver); });
    if (same == earlier.drivers.end()) {
      earlier.drivers.push_back(driver);
    } else {
      same->fingerprint = driver.fingerprint;
    }
  }
  AddMissing(earlier.loaders, later.loaders, SameLoader);
  AddMissing(earlier.trustedPaths, later.trustedPaths, SameList);
  AddMissing(earlier.supportPaths, later.supportPaths, SameList);
  AddMissing(earlier.entries, later.entries, SameEntry);
  if (!later.settings.empty()) earlier.settings = later.settings;
  if (!later.settingsKept.empty()) earlier.settingsKept = later.settingsKept;
  earlier.allUsers = std::max(earlier.allUsers, later.allUsers);
  earlier.currentUser = earlier.currentUser || later.currentUser;
}

InstallRecord NotNamedIn(const InstallRecord& record, const InstallRecord& other) {
  InstallRecord left;
  left.parentCreated = record.parentCreated;
  left.files = NotIn(record.files, other.files, SameName);
  left.backups = NotIn(record.backups, other.backups, SameBackup);
  left.fonts = NotIn(record.fonts, other.fonts, SameSupport);
  left.drivers = NotIn(record.drivers, other.drivers, SameSupport);
  left.loaders = NotIn(record.loaders, other.loaders, SameLoader);
  left.trustedPaths = NotIn(record.trustedPaths, other.trustedPaths, SameList);
  left.supportPaths = NotIn(record.supportPaths, other.supportPaths, SameList);
  left.entries = NotIn(record.entries, other.entries, SameEntry);
  if (!SameName(record.settings, other.settings)) left.settings = record.settings;
  if (!SameName(record.settingsKept, other.settingsKept)) left.settingsKept = record.settingsKept;
  if (other.allUsers == 0) left.allUsers = record.allUsers;
  left.currentUser = record.currentUser && !other.currentUser;
  return left;
}

std::string FormatRecordHead() {
  return std::string(kComment) + "\r\n" + kHeader + "\r\n" + Line("Version", mbcs::Decimal(kVersion));
}

std::string FormatRecordLines(const InstallRecord& record) {
  std::string text;
  if (record.parentCreated) text += Line("Parent", kCreated);
  if (record.allUsers != 0) text += Line("AllUsers", mbcs::Decimal(record.allUsers));
  if (record.currentUser) text += Line("CurrentUser", "1");
  for (const LoaderChange& loader : record.loaders)
    text += Line("Loader", JoinFields({loader.hive == Hive::CurrentUser ? std::string(kUserLoader)
                                                                         : mbcs::Decimal(loader.key.view),
                                       loader.key.path, mbcs::Decimal(loader.createdLevels),
                                       ValueField(loader.loadCtrls), ValueField(loader.loader)}));
  const auto listLines = [&](const char* name, const std::vector<TrustedPathChange>& lists) {
    for (const TrustedPathChange& list : lists) {
      const std::string before = list.before == TrustedPathChange::Before::Missing  ? std::string("-")
                                 : list.before == TrustedPathChange::Before::Listed ? std::string("+")
                                                                                    : "=" + list.replaced;
      text += Line(name, JoinFields({list.key, mbcs::Decimal(list.createdLevels), before,
                                     OriginalField(list.original)}));
    }
  };
  listLines("Trusted", record.trustedPaths);
  listLines("Support", record.supportPaths);
  for (const EntryChange& entry : record.entries)
    text += Line("Entry", entry.hive == Hive::CurrentUser ? JoinFields({"HKCU", "-"})
                                                           : JoinFields({"HKLM", mbcs::Decimal(entry.view)}));
  for (const SupportChange& driver : record.drivers)
    text += Line("Driver", JoinFields({driver.path, ReplacedText(driver.replaced), driver.fingerprint}));
  for (const BackupChange& backup : record.backups) text += Line("Backup", JoinFields({backup.name, backup.original}));
  for (const SupportChange& font : record.fonts)
    text += Line("Font", JoinFields({font.path, ReplacedText(font.replaced)}));
  if (!record.settings.empty()) text += Line("Settings", JoinFields({record.settings}));
  if (!record.settingsKept.empty()) text += Line("SettingsKept", JoinFields({record.settingsKept}));
  for (const std::string& file : record.files) text += Line("File", JoinFields({file}));
  return text;
}

std::string FormatRecord(const InstallRecord& record) {
  return FormatRecordHead() + FormatRecordLines(record) + kEnd + "\r\n";
}

ParsedRecord ParseRecord(std::string_view text) {
  ParsedRecord parsed;
  parsed.state = RecordState::NotARecord;
  bool headerSeen = false, endSeen = false;
  const std::vector<std::string_view> lines = mbcs::Split(text, '\n');
  int number = 0, lastLine = 0;
  for (std::string_view line : lines) {
    ++number;
    // A last line without its line end may have been cut anywhere: a cut
    // entry could name something else, so it names nothing.
    const bool cut = number == static_cast<int>(lines.size()) && !line.empty();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';') continue;
    lastLine = number;
    if (!headerSeen) {
      if (line != kHeader) return parsed;
      headerSeen = true;
      parsed.state = RecordState::Truncated;
      continue;
    }
    if (endSeen || (cut && line != kEnd)) {
      parsed.ignoredLines.push_back(number);
    } else if (line == kEnd) {
      endSeen = true;
      parsed.state = RecordState::Complete;
    } else if (line.substr(0, 8) == "Version=") {
      const std::optional<int> version = Number(std::string(line.substr(8)), 1, 999999);
      if (!version) parsed.ignoredLines.push_back(number);
      if (version && *version > kVersion) {
        parsed.state = RecordState::NewerVersion;
        parsed.record = InstallRecord();
        return parsed;
      }
    } else if (!ParseLine(line, parsed.record)) {
      parsed.ignoredLines.push_back(number);
      if (RefusedForItsName(line)) parsed.otherFileLines.push_back(number);
    }
  }
  // The record of an install that did not finish grows a line at a time, so
  // its last line may be torn: cut off by a kill or a power cut, or zero
  // bytes where the disk had not yet written it. That line was never whole
  // and is no edit to report: it names nothing.
  if (parsed.state == RecordState::Truncated && !parsed.ignoredLines.empty() && parsed.ignoredLines.back() == lastLine) {
    parsed.ignoredLines.pop_back();
    if (!parsed.otherFileLines.empty() && parsed.otherFileLines.back() == lastLine) parsed.otherFileLines.pop_back();
  }
  return parsed;
}

std::string RecordPath(const std::string& installDir) { return installDir + "\\" + kRecordName; }

ParsedRecord ReadRecord(const std::string& installDir) {
  std::string text;
  const platform::Status read = platform::GetFiles().ReadFile(RecordPath(installDir), kMaxRecordBytes, &text);
  ParsedRecord parsed;
  switch (read.code()) {
    case 0:
      return ParseRecord(text);
    case platform::kErrorFileNotFound:
    case platform::kErrorPathNotFound:
      parsed.state = RecordState::Missing;
      break;
    case platform::kErrorFileTooLarge:
      parsed.state = RecordState::TooLarge;
      break;
    default:
      parsed.state = RecordState::Unreadable;
      break;
  }
  parsed.status = read;
  return parsed;
}

platform::Status WriteRecord(const std::string& installDir, const InstallRecord& record) {
  const std::string text = FormatRecord(record);
  // The reader would refuse it.
  if (text.size() > kMaxRecordBytes) return platform::Status(platform::kErrorFileTooLarge);
  return platform::GetFiles().WriteFile(RecordPath(installDir), text);
}
