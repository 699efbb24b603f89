#pragma once
// A face realised at a size: its design lengths scaled to the em and
// rounded to whole pixels, the way a Windows printer lays text out.

#include <cstdint>
#include <memory>

#include "printer/face_provider.h"
#include "printer/page_target.h"

namespace rizarode {

struct RealisedFont {
  LayoutFont text;
  bool bold = false, italic = false;
  int32_t ascent = 0, height = 0;
  int32_t underlineOffset = 0, underlineThickness = 1;
  // The device gave the face asked for, not a stand-in.
  bool taken = false;
};

// Every character advances by its face's advance scaled to the em and
// rounded to whole pixels, one more for synthetic bold.
std::shared_ptr<const RealisedFont> Realise(std::shared_ptr<const DeviceFace> face,
                                            const FaceRequest& request);

}  // namespace rizarode
