// A page's files live in the browser's storage, which has no trash the player
// could open: nothing is moved, and the caller asks before deleting for good.
#include "platform/trash.h"

namespace tessera {

bool MoveToTrash(const std::string&, std::string& error) {
  error = "the browser has no trash";
  return false;
}

}  // namespace tessera
