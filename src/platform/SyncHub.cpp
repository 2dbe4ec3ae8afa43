#include "platform/SyncHub.h"

namespace platform::detail {

SyncHub& SyncHub::Instance() {
  // Never destroyed: a worker left running at exit may still wait or signal
  // while static objects are torn down.
  static SyncHub* hub = new SyncHub;
  return *hub;
}

}  // namespace platform::detail
