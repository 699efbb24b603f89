#include "printer/face_cache.h"

namespace rizarode {
namespace {

template <typename Map>
void MakeRoom(Map& map) {
  if (map.size() >= kMaxCachedFaces) map.clear();
}

template <typename Map, typename Taken>
void ForgetStandIns(Map& map, const std::string& face, Taken taken) {
  for (auto it = map.begin(); it != map.end();) {
    if (std::get<0>(it->first) == face && !taken(it->second)) {
      it = map.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace

std::shared_ptr<const RealisedFont> FaceCache::Font(const FaceRequest& request) {
  FontKey key{request.face, request.bold, request.italic, request.emPixels};
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  std::shared_ptr<const RealisedFont> font = Realise(Face(request), request);
  MakeRoom(fonts_);
  fonts_.emplace(std::move(key), font);
  return font;
}

std::shared_ptr<const DeviceFace> FaceCache::Face(const FaceRequest& request) {
  FaceKey key{request.face, request.bold, request.italic};
  auto it = everyEm_.find(key);
  if (it != everyEm_.end()) return it->second.face;
  std::shared_ptr<const DeviceFace> face = faces_.Face(request);
  if (face->onlyEmPixels == 0) {
    MakeRoom(everyEm_);
    everyEm_.emplace(std::move(key), Found{face, SameFaceName(face->name, request.face)});
  }
  return face;
}

void FaceCache::AskAgainFor(const std::string& face) {
  ForgetStandIns(everyEm_, face, [](const Found& f) { return f.taken; });
  ForgetStandIns(fonts_, face, [](const std::shared_ptr<const RealisedFont>& f) { return f->taken; });
}

}  // namespace rizarode
