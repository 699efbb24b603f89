#include "printer/page_setup.h"

namespace rizarode {

bool ValidPaperBin(int16_t bin) { return (bin >= 1 && bin <= 15) || bin >= 256; }

DeviceSheet SheetAsItLies(const PageSetup& setup) {
  const DeviceSheet& s = setup.sheet;
  if (setup.orientation != kOrientationLandscape) return s;
  return {s.heightMicrons, s.widthMicrons, s.topMicrons, s.rightMicrons, s.bottomMicrons,
          s.leftMicrons};
}

}  // namespace rizarode
