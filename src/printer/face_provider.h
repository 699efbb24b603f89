#pragma once
// The faces that a printer's device has, and the resolution at which the
// printer realises them. The device only finds faces: which of them the
// printer keeps, and when it asks again for a face that was stood in for,
// is the printer's (FaceCache). Every operation may fail with PrinterError.

#include <cstdint>
#include <memory>
#include <string>

#include "printer/design_metrics.h"

namespace rizarode {

struct FaceRequest {
  std::string face;
  bool bold = false, italic = false;
  // The em height in device pixels, for a device that realises each face
  // at a size.
  int32_t emPixels = 0;
};

// A face as the device found it for a request.
class DeviceFace {
 public:
  virtual ~DeviceFace() = default;

  // The face actually selected (8-bit text): a stand-in's when the face
  // asked for is not there.
  std::string name;
  DesignMetrics metrics;
  // The device makes the bold from the regular face, which widens every
  // character by a pixel.
  bool syntheticBold = false;
  // The one em at which the device can draw the face (a face realised at
  // a size); 0 when it draws it at every em.
  int32_t onlyEmPixels = 0;
};

// Whether two face names name one face: Windows compares them without
// regard to case.
bool SameFaceName(const std::string& a, const std::string& b);

class FaceProvider {
 public:
  virtual ~FaceProvider() = default;
  // Dots per inch at which faces are realised; 0 when the device cannot
  // tell.
  virtual int Resolution() const = 0;
  // Looked up against the faces installed now.
  virtual std::shared_ptr<const DeviceFace> Face(const FaceRequest& request) = 0;
};

}  // namespace rizarode
