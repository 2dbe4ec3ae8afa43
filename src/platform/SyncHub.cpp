#include "platform/SyncHub.h"

namespace platform::detail {

SyncHub& SyncHub::Instance() {
  static SyncHub hub;
  return hub;
}

}  // namespace platform::detail
