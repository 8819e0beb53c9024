// Whether AutoCAD is running, so that the install can warn before its copies
// fail on files AutoCAD holds open.
#pragma once

// True when some process's image name contains "acad.exe", whatever its case;
// false when none does or the process list cannot be read.
bool IsHostRunning();
