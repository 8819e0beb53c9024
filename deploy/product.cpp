#include "deploy/product.h"

#include "platform/mbcs.h"

std::string ProductVersion(const BuildInfo& build) {
  return mbcs::Decimal(build.date / 10000) + "." + mbcs::Decimal(build.date % 10000 / 100) + "." +
         mbcs::Decimal(build.date % 100) + "." + mbcs::Decimal(build.release);
}
