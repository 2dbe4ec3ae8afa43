#include "toolkit/CDPI.h"

namespace toolkit {

bool CDPI::SetScale(int dpi) {
  if (!IsAccepted(dpi))
    return false;
  dpi_ = dpi;
  return true;
}

}  // namespace toolkit
