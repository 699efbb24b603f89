#pragma once
// Fontconfig as a test sees it: which family and file a face resolves to, and
// a sandbox that gives fontconfig fresh user directories for the length of a
// test.

#include <fontconfig/fontconfig.h>

#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace rizarode::testing {

struct FontMatch {
  std::string family;
  std::string style;
  std::string file;
};

// What fontconfig in this process picks for a face, the way a printer that
// asks it for the face would.
inline FontMatch MatchFace(const std::string& face, bool bold = false) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FontMatch found;
  if (match != nullptr) {
    auto get = [&](const char* object) {
      FcChar8* value = nullptr;
      return FcPatternGetString(match, object, 0, &value) == FcResultMatch
                 ? std::string(reinterpret_cast<const char*>(value))
                 : std::string();
    };
    found = {get(FC_FAMILY), get(FC_STYLE), get(FC_FILE)};
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return found;
}

// For its lifetime, fontconfig reads user fonts from dir/data/fonts and keeps
// its caches in dir/cache; the fonts this process added before are gone.
// Afterwards fontconfig is reloaded as the environment had it.
class FontconfigSandbox {
 public:
  explicit FontconfigSandbox(const TempDir& dir)
      : dataHome(dir / "data") {
    data_.emplace("XDG_DATA_HOME", dataHome.c_str());
    cache_.emplace("XDG_CACHE_HOME", (dir / "cache").c_str());
    FcInitReinitialize();
  }
  ~FontconfigSandbox() {
    data_.reset();
    cache_.reset();
    FcInitReinitialize();
  }
  FontconfigSandbox(const FontconfigSandbox&) = delete;
  FontconfigSandbox& operator=(const FontconfigSandbox&) = delete;

  const std::string dataHome;

 private:
  std::optional<EnvGuard> data_;
  std::optional<EnvGuard> cache_;
};

}  // namespace rizarode::testing
