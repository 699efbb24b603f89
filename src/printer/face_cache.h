#pragma once
// The faces a printer has realised, so that the device is asked for a face
// only when a face, style or size is new: the one cache of faces there is.
// A face that the device draws at every em is realised at a new size
// without asking it again. A stand-in is kept only until its face is set
// again: the face may have been installed since.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "printer/face_provider.h"
#include "printer/realised_font.h"

namespace rizarode {

// Sizes and styles that a run uses are few; beyond this many the cache
// starts again (fonts still drawn with stay alive).
inline constexpr std::size_t kMaxCachedFaces = 64;

class FaceCache {
 public:
  explicit FaceCache(FaceProvider& faces) : faces_(faces) {}

  std::shared_ptr<const RealisedFont> Font(const FaceRequest& request);
  // The stand-ins found for the face are asked for again.
  void AskAgainFor(const std::string& face);

 private:
  using FaceKey = std::tuple<std::string, bool, bool>;
  using FontKey = std::tuple<std::string, bool, bool, int32_t>;
  struct Found {
    std::shared_ptr<const DeviceFace> face;
    bool taken = false;
  };

  std::shared_ptr<const DeviceFace> Face(const FaceRequest& request);

  FaceProvider& faces_;
  std::map<FaceKey, Found> everyEm_;  // faces drawn at every em
  std::map<FontKey, std::shared_ptr<const RealisedFont>> fonts_;
};

}  // namespace rizarode
