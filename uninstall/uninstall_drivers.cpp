#include "uninstall/uninstall_drivers.h"

#include "deploy/product.h"
#include "platform/message_box.h"

bool BoxUninstallDriver::Confirm(const std::string& question) {
  // A box that cannot be shown is no Yes.
  return platform::GetMessageBoxes().Show(question, kMessageCaption, platform::kMbYesNo | platform::kMbIconQuestion) ==
         platform::kIdYes;
}

void BoxUninstallDriver::Tell(UninstallNotice notice, const std::string& text) {
  const unsigned icon = notice == UninstallNotice::Summary ? platform::kMbIconInformation : platform::kMbIconWarning;
  platform::GetMessageBoxes().Show(text, kMessageCaption, platform::kMbOk | icon);
}
