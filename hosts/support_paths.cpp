// The support file search path: the folder of the add-on's fonts joins the
// list of every AutoCAD profile of the current user, for an installation
// for that user alone, whose fonts cannot go into AutoCAD's folders.
#include <limits>
#include <string>
#include <vector>

#include "hosts/acad_hosts.h"
#include "platform/mbcs.h"

using platform::GetRegistry;
using platform::Hive;
using platform::Registry;
using platform::ScopedKey;
using platform::Status;

namespace {

const char kSupportPath[] = "ACAD";

}  // namespace

std::string ComposeSupportPath(const std::string& existing, const std::string& folder) {
  if (ListHasEntry(existing, folder)) return existing;
  return existing + (!existing.empty() && existing.back() == ';' ? "" : ";") + folder;
}

std::vector<SupportPathWrite> CAcadHosts::AddSupportPath(const std::string& folder) {
  Registry& registry = GetRegistry();
  const std::vector<std::string> generalKeys = ProfileKeys(registry, "General");

  std::vector<SupportPathWrite> writes;
  ScopedKey root(registry, registry.OpenHive(Hive::CurrentUser));
  for (const std::string& path : generalKeys) {
    SupportPathWrite write;
    write.change.key = path;
    write.change.before = SupportPathChange::Before::Listed;
    write.status = ReadProfileList(registry, root.get(), kSupportPath, &write);
    write.change.createdLevels = 0;  // a General key is never made
    // A list of AutoCAD's own folders only AutoCAD knows: without one, a
    // list of ours alone would hide them.
    if (write.status && write.previous.value_or(std::string()).empty()) write.status = Status(platform::kErrorFileNotFound);
    if (!write.status) {
      write.gained = false;
      writes.push_back(std::move(write));
      continue;
    }
    write.gained = !ListHasEntry(*write.previous, folder);
    write.list = ComposeSupportPath(*write.previous, folder);
    if (write.gained) {
      if (journal) journal->BeforeSupportPath(write);
      ScopedKey general(registry, registry.Open(root.get(), path));
      if (!general)
        write.status = Status(platform::kErrorFileNotFound);
      else if (write.list.size() > std::numeric_limits<std::uint32_t>::max())
        write.status = Status(platform::kErrorInvalidParameter);
      else
        write.status = registry.SetValue(general.get(), kSupportPath, write.type, write.list.data(),
                                         static_cast<std::uint32_t>(write.list.size()));
    }
    writes.push_back(std::move(write));
  }
  return writes;
}
