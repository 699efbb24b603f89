#include "platform/linux/font_resolver.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/text_encoding.h"

namespace rizarode {
namespace {

const char* Text(const FcChar8* s) { return reinterpret_cast<const char*>(s); }
const FcChar8* Fc(const std::string& s) { return reinterpret_cast<const FcChar8*>(s.c_str()); }

// True when the file holds a face in the sfnt container (TrueType or
// OpenType outlines, or a collection of them) that a PDF document can embed.
bool IsEmbeddableFontFile(const std::string& file) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) return false;
  char tag[4] = {};
  bool read = std::fread(tag, 1, sizeof tag, f) == sizeof tag;
  std::fclose(f);
  if (!read) return false;
  static constexpr char kTags[][4] = {{0, 1, 0, 0}, {'t', 'r', 'u', 'e'}, {'O', 'T', 'T', 'O'},
                                      {'t', 't', 'c', 'f'}};
  for (const auto& known : kTags) {
    if (std::memcmp(tag, known, sizeof tag) == 0) return true;
  }
  return false;
}

// The families that stand for the requested face: the face and every
// family that the configuration put beside it with the same strength (the
// metric-compatible aliases). Weak entries are fallbacks, not the face.
std::vector<std::string> FamiliesStandingFor(FcPattern* substituted) {
  std::vector<std::string> families;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(substituted, FC_FAMILY, i, &value, &binding) ==
                  FcResultMatch;
       ++i) {
    if (binding == FcValueBindingWeak) break;
    if (value.type == FcTypeString) families.emplace_back(Text(value.u.s));
  }
  return families;
}

// Which of the families the matched font carries: 0 for the face itself, a
// higher number for an alias, -1 for none.
int ServedFamily(FcPattern* match, const std::vector<std::string>& families,
                 std::string& ownName) {
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    for (std::size_t k = 0; k < families.size(); ++k) {
      if (FcStrCmpIgnoreCase(family, Fc(families[k])) == 0) {
        ownName = Text(family);
        return static_cast<int>(k);
      }
    }
  }
  return -1;
}

std::string FileOf(FcPattern* font) {
  FcChar8* file = nullptr;
  return FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch ? Text(file) : "";
}

// The best match whose file a document can embed. fontconfig's own choice
// is nearly always one; otherwise the next in its order of preference.
FontPattern EmbeddableMatch(FcConfig* config, FcPattern* request) {
  FcResult status = FcResultNoMatch;
  FontPattern match(FcFontMatch(config, request, &status));
  if (!match || IsEmbeddableFontFile(FileOf(match.get()))) return match;
  FcFontSet* sorted = FcFontSort(config, request, FcFalse, nullptr, &status);
  if (!sorted) return nullptr;
  FontPattern found;
  for (int i = 0; i < sorted->nfont && !found; ++i) {
    if (IsEmbeddableFontFile(FileOf(sorted->fonts[i]))) {
      found.reset(FcFontRenderPrepare(config, request, sorted->fonts[i]));
    }
  }
  FcFontSetDestroy(sorted);
  return found;
}

}  // namespace

ResolvedFace ResolveFace(const std::string& face, bool bold, bool italic) {
  ResolvedFace result;
  FcConfig* config = FcConfigGetCurrent();
  FontPattern request(FcPatternCreate());
  std::string family = Cp1252ToUtf8(face);
  FcPatternAddString(request.get(), FC_FAMILY, Fc(family));
  FcPatternAddInteger(request.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(request.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(request.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());

  FontPattern match = EmbeddableMatch(config, request.get());
  if (!match) return result;

  result.file = FileOf(match.get());
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &result.index);
  FcBool embolden = FcFalse;
  FcPatternGetBool(match.get(), FC_EMBOLDEN, 0, &embolden);
  result.syntheticBold = embolden == FcTrue;
  FcMatrix* matrix = nullptr;
  if (FcPatternGetMatrix(match.get(), FC_MATRIX, 0, &matrix) == FcResultMatch && matrix) {
    result.slant = matrix->xy;
  }

  // An installed face reads back in its own spelling; an alias stands in
  // under the requested name, the way a font substitution table would.
  std::string ownName;
  int served = ServedFamily(match.get(), FamiliesStandingFor(request.get()), ownName);
  result.taken = served >= 0;
  if (served == 0) {
    result.name = Utf8ToCp1252(ownName);
  } else if (served > 0) {
    result.name = face;
  } else {
    FcChar8* matched = nullptr;
    if (FcPatternGetString(match.get(), FC_FAMILY, 0, &matched) == FcResultMatch) {
      result.name = Utf8ToCp1252(Text(matched));
    }
  }
  return result;
}

}  // namespace rizarode
