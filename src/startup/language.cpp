#include "startup/language.h"

#include "startup/program.h"

namespace rizarode {

void DetectLanguage(Program& program) { program.state.languageCode = "NL"; }

}  // namespace rizarode
