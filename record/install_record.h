// The record of what an install changed, kept as a small text file in the
// install folder: the uninstall removes what it names and nothing else. A
// second install into the same folder merges into it, keeping what the first
// install found before it changed anything.
//
// The file is GBK text, one entry a line ("Name=field|field|..."), between a
// header line and an end line, so that a record cut short is told from a
// whole one: an install writes its record ahead of its changes, a line at a
// time, and the end line last. Fields escape '%', '|' and control bytes as
// %XX. A line the reader does not understand is left out and reported, never
// guessed at; only the torn last line of a record without its end line is
// left out unreported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hosts/changes.h"
#include "platform/registry.h"
#include "platform/status.h"

// Beside the add-on's files in the install folder.
constexpr char kRecordName[] = "Uninstall.ini";
constexpr char kUninstallerName[] = "Uninstall.exe";

// Any real record is a few kilobytes; a larger file is not read at all.
constexpr std::size_t kMaxRecordBytes = 1u << 20;

// AutoCAD's own plot driver, kept in the install folder's backup area.
struct BackupChange {
  std::string name;      // in the backup folder
  std::string original;  // where it came from
};

// The Programs and Features entry.
struct EntryChange {
  platform::Hive hive = platform::Hive::LocalMachine;
  int view = 64;  // for HKEY_LOCAL_MACHINE
};

struct InstallRecord {
  bool parentCreated = false;       // the install made the install folder's parent
  std::vector<std::string> files;   // names in the install folder
  std::vector<BackupChange> backups;
  std::vector<SupportChange> fonts;    // kept by the uninstall: drawings use them
  std::vector<SupportChange> drivers;
  std::vector<LoaderChange> loaders;
  std::vector<TrustedPathChange> trustedPaths;
  std::vector<SupportPathChange> supportPaths;
  std::vector<EntryChange> entries;
  std::string settings;  // the settings file in APPDATA: kept by the uninstall
  // The user's own settings file, kept under this name beside it before ours
  // replaced it; kept by the uninstall too.
  std::string settingsKept;
  // An installation for every user: how many such installs went into this
  // folder (the Active Setup version and the users' records carry it); 0 for
  // an installation for the user who ran it.
  std::uint32_t allUsers = 0;
  // An installation for the user who ran it alone, with no administrator
  // rights needed: its loaders below HKEY_CURRENT_USER, its fonts in the
  // install folder, its entry under HKEY_CURRENT_USER.
  bool currentUser = false;

  // Nothing the uninstall could still act on.
  bool NamesNothing() const;
};

// Adds to `earlier` what `later` names that it does not, keeping what
// `earlier` says of things both name: the state before the first install.
void MergeInto(InstallRecord& earlier, const InstallRecord& later);

// What `record` names that `other` does not (an installation for every user
// only where `other` is none).
InstallRecord NotNamedIn(const InstallRecord& record, const InstallRecord& other);

std::string FormatRecord(const InstallRecord& record);
// The parts of a record: its head (before any entry), and the entry lines of
// `record`. A record written ahead of its changes is a head and entry lines
// appended as they come; FormatRecord adds the end line.
std::string FormatRecordHead();
std::string FormatRecordLines(const InstallRecord& record);

enum class RecordState {
  Complete,
  Missing,       // no record in the folder
  Unreadable,    // there, but cannot be read (the status says why)
  TooLarge,      // longer than kMaxRecordBytes
  NotARecord,    // does not begin with the record's header
  NewerVersion,  // written by a later version of the program
  Truncated,     // the end line is missing: an install that did not finish, or a record cut short
};

struct ParsedRecord {
  RecordState state = RecordState::Missing;
  platform::Status status;        // with Unreadable
  InstallRecord record;           // what could be read, also from a damaged record
  std::vector<int> ignoredLines;  // 1-based numbers of lines not understood
  // Of those, the lines naming a file Windows would take for another ("a.txt.",
  // "a.txt ", "README~1.TXT") or a device ("CON", "nul.txt").
  std::vector<int> otherFileLines;
};

ParsedRecord ParseRecord(std::string_view text);

std::string RecordPath(const std::string& installDir);
ParsedRecord ReadRecord(const std::string& installDir);
platform::Status WriteRecord(const std::string& installDir, const InstallRecord& record);
