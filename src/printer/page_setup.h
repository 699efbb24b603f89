#pragma once
// How a page is to come out (paper, orientation, bin, the sheet they give),
// and the printer's rules for them, kept here once for every device.

#include <cstdint>

#include "printer/printer.h"

namespace rizarode {

// A sheet: its size and the unprintable border of each edge, in
// micrometres.
struct DeviceSheet {
  int32_t widthMicrons = 0, heightMicrons = 0;
  int32_t leftMicrons = 0, topMicrons = 0, rightMicrons = 0, bottomMicrons = 0;
};

// The paper-size number, the orientation and the bin, as the printer's
// settings name them, and the sheet they give, upright (portrait).
struct PageSetup {
  int16_t paperSize = 0;
  int16_t orientation = kOrientationPortrait;
  int16_t bin = kPaperBinAuto;
  DeviceSheet sheet;
};

// A bin number that a Windows printer takes: the standard ones, or a
// driver's own from 256 on.
bool ValidPaperBin(int16_t bin);

// The sheet as the page lies: a landscape page is the sheet turned a
// quarter to the left, its top edge become the left one.
DeviceSheet SheetAsItLies(const PageSetup& setup);

}  // namespace rizarode
