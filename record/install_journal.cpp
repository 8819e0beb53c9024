#include "record/install_journal.h"

#include "deploy/file_utils.h"
#include "platform/files.h"
#include "platform/mbcs.h"
#include "record/install_recorder.h"

InstallJournal::InstallJournal(std::string installDir, int editionBits)
    : installDir_(std::move(installDir)), editionBits_(editionBits), appends_(platform::GetAppendFiles()) {
  mbcs::DropTrailingBackslash(installDir_);
}

InstallJournal::~InstallJournal() { Close(); }

platform::Status InstallJournal::Begin(const InstallRecord& earlier, const InstallRecord& made) {
  const std::string path = RecordPath(installDir_);
  InstallRecord named = earlier;
  MergeInto(named, made);
  status_ = platform::GetFiles().WriteFile(path, FormatRecordHead() + FormatRecordLines(named));
  if (status_) file_ = appends_.Open(path, &status_);
  if (!file_) return status_;
  noted_.parentCreated = made.parentCreated && !earlier.parentCreated;
  for (const std::string& file : named.files) fileKeys_.insert(mbcs::ToUpper(file));
  named.files.clear();
  named_ = std::move(named);
  return status_;
}

void InstallJournal::Note(const InstallRecord& item, Ahead ahead) {
  if (!file_) return;
  // The install folder's files, thousands of them, are told from those named
  // already by their keys; the rest are few.
  InstallRecord rest = item;
  rest.files.clear();
  InstallRecord added = NotNamedIn(rest, named_);
  added.parentCreated = item.parentCreated && !named_.parentCreated;
  added.allUsers = item.allUsers > named_.allUsers ? item.allUsers : 0;
  for (const std::string& file : item.files)
    if (fileKeys_.insert(mbcs::ToUpper(file)).second) added.files.push_back(file);
  if (added.NamesNothing() && !added.parentCreated && added.fonts.empty() && added.settings.empty() &&
      added.settingsKept.empty())
    return;
  const std::string lines = FormatRecordLines(added);
  noted_.files.insert(noted_.files.end(), added.files.begin(), added.files.end());
  added.files.clear();
  MergeInto(named_, added);
  MergeInto(noted_, added);
  Append(lines, ahead);
}

void InstallJournal::Append(const std::string& lines, Ahead ahead) {
  status_ = appends_.Append(file_, lines);
  if (status_ && ahead == Ahead::Overwrites) status_ = appends_.Flush(file_);
  unflushed_ = status_ && ahead == Ahead::Adds;
  // A record that misses an entry is no longer one to trust further: the
  // install goes on, and its end writes the record whole.
  if (!status_) Close();
}

void InstallJournal::BeforeFile(const FileEvent& planned) {
  const Ahead ahead = planned.replaced ? Ahead::Overwrites : Ahead::Adds;
  if (planned.kind == FileKind::Uninstaller) {
    InstallRecord item;
    item.files.push_back(mbcs::FileNameOf(planned.destination));
    Note(item, ahead);
    return;
  }
  InstallRecorder recorder(installDir_, editionBits_);
  recorder.OnFile(planned);
  Note(recorder.Record(), ahead);
}

void InstallJournal::BeforeLoader(const LoaderWrite& planned) {
  InstallRecorder recorder(installDir_, editionBits_);
  recorder.Add(planned);
  // A key that was there is deleted and made again. A re-run would take a
  // key left behind for its own, but not the Applications key made for it.
  Note(recorder.Record(), planned.before.createdLevels == 1 ? Ahead::Adds : Ahead::Overwrites);
}

void InstallJournal::BeforeTrustedPaths(const TrustedPathWrite& planned) {
  InstallRecorder recorder(installDir_, editionBits_);
  recorder.Add(planned);
  // Also a list made new: a re-run would find the folder in it already and
  // not know the list for the install's.
  Note(recorder.Record(), Ahead::Overwrites);
}

void InstallJournal::BeforeSupportPath(const SupportPathWrite& planned) {
  InstallRecorder recorder(installDir_, editionBits_);
  recorder.AddSupportPath(planned);
  // A re-run would find the folder in the list already.
  Note(recorder.Record(), Ahead::Overwrites);
}

void InstallJournal::BeforeSupportFile(const SupportFileWrite& planned) {
  InstallRecorder recorder(installDir_, editionBits_);
  recorder.Add(planned);
  InstallRecord item = recorder.Record();
  // The driver in place afterwards is the one copied: the uninstall knows it
  // as ours by its content.
  for (SupportChange& driver : item.drivers) driver.fingerprint = FingerprintOf(planned.file.source);
  Note(item, planned.file.replaced ? Ahead::Overwrites : Ahead::Adds);
}

void InstallJournal::Flush() {
  if (!file_ || !unflushed_) return;
  status_ = appends_.Flush(file_);
  unflushed_ = false;
  if (!status_) Close();
}

void InstallJournal::Close() {
  appends_.Close(file_);
  file_ = nullptr;
}
