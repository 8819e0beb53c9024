#include "app/build_constants.h"

#include "build_config.h"

// Plain globals rather than constants: the tests re-run the dialog with other
// build dates and editions.
int kBuildDate = ZV_BUILD_DATE;
int kEditionBits = ZV_EDITION_BITS;
bool g_warnIfHostRunning = true;
