#include "platform/user_redirect.h"

namespace platform {

Redirection RedirectToUser(const std::string&) {
  Redirection redirection;
  redirection.problem = "serving another user is not built yet";
  return redirection;
}

}  // namespace platform
