#include "startup/language.h"

#include "program/program.h"

namespace rizarode {
namespace {

// In the order in which they are tried: the first directory that holds the
// marker file decides.
constexpr const char* kLanguageCodes[] = {"NL", "D", "GB", "F", "ORV"};
constexpr char kMarkerFileName[] = "VELDRAK.TXT";
constexpr char kDefaultLanguage[] = "NL";

// The host application comes from DOS, where the names of its language
// directories and marker files have no case; here they may have any.
bool HoldsMarkerFile(FileSystem& files, const std::string& code) {
  std::optional<std::string> directory = files.FindNoCase("", code, true);
  return directory && files.FindNoCase(*directory, kMarkerFileName, false);
}

bool HoldsAnyMarkerFile(FileSystem& files) {
  for (const char* code : kLanguageCodes) {
    if (HoldsMarkerFile(files, code)) return true;
  }
  return false;
}

}  // namespace

std::string MessageLanguageOfUser(Program& program) {
  if (HoldsAnyMarkerFile(program.platform.files)) return program.state.languageCode;
  const std::string user = program.platform.info.UserLanguage();
  return user.empty() ? program.state.languageCode : user;
}

std::string LanguageCodeHere(FileSystem& files) {
  for (const char* code : kLanguageCodes) {
    if (HoldsMarkerFile(files, code)) return code;
  }
  return kDefaultLanguage;
}

void DetectLanguage(Program& program) {
  program.state.languageCode = LanguageCodeHere(program.platform.files);
}

}  // namespace rizarode
