// The install's record, written ahead of the changes it names, so that an
// install killed, cut off by a power cut or stopped half-way can always be
// taken back: at every moment the record names at least what was changed.
//
// The record file starts as the record's head and the entries of the earlier,
// finished install into the folder (if any), without its end line: a record
// without one is an install that did not finish. Before each change, its
// entry lines are appended. They reach the disk (FlushFileBuffers) before a
// change that overwrites or removes what was there, and at the end of each
// step for changes that only add: a power cut may lose the entries of the
// last step's new files, keys and values, never what a change replaced.
// When the install is done, the whole record replaces this one, with its end
// line, naming only what was written.
#pragma once

#include <set>
#include <string>

#include "deploy/events.h"
#include "hosts/changes.h"
#include "platform/append_files.h"
#include "platform/status.h"
#include "record/install_record.h"

// What a change does to what is there.
enum class Ahead {
  Adds,        // makes what was not there: its entry may wait for the step's end
  Overwrites,  // replaces or removes what was there: its entry reaches the disk first
};

class InstallJournal : public ChangeJournal {
 public:
  InstallJournal(std::string installDir, int editionBits);
  ~InstallJournal() override;
  InstallJournal(const InstallJournal&) = delete;
  InstallJournal& operator=(const InstallJournal&) = delete;

  // Starts the record: its head, the entries of `earlier` and what this
  // install has made already (`made`: the folders), written whole and
  // through to the disk, then opened for appending. Nothing is noted when it
  // fails.
  platform::Status Begin(const InstallRecord& earlier, const InstallRecord& made);

  // Appends the entries of what `item` names that the record does not name
  // yet. A record that could not be begun or written to notes nothing more;
  // status() tells why.
  void Note(const InstallRecord& item, Ahead ahead);
  // A copy about to be made: into the install folder, the settings file and
  // the user's own kept beside it.
  void BeforeFile(const FileEvent& planned);
  void BeforeLoader(const LoaderWrite& planned) override;
  void BeforeTrustedPaths(const TrustedPathWrite& planned) override;
  void BeforeSupportFile(const SupportFileWrite& planned) override;
  void BeforeSupportPath(const SupportPathWrite& planned) override;
  // The end of a step: what was appended reaches the disk.
  void Flush();
  // Closes the file, so that the whole record can replace it.
  void Close();

  // What this install noted, beyond the earlier install's entries.
  const InstallRecord& Noted() const { return noted_; }
  // The first failure to begin, append or flush; ok while every entry got in.
  platform::Status status() const { return status_; }
  bool open() const { return file_ != nullptr; }

 private:
  void Append(const std::string& lines, Ahead ahead);

  std::string installDir_;
  int editionBits_;
  platform::AppendFiles& appends_;
  platform::AppendHandle file_ = nullptr;
  // Everything the record names, the earlier install's and this one's: the
  // install folder's files by their upper-cased names, the rest whole.
  std::set<std::string> fileKeys_;
  InstallRecord named_;
  InstallRecord noted_;
  bool unflushed_ = false;
  platform::Status status_;
};
