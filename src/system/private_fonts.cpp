#include "system/private_fonts.h"

#include "startup/program.h"

namespace rizarode {

// Until the font check lands: choose the face and trust the printer.
void CheckPrivateFonts(Program& program) {
  program.state.fontFaceName = program.state.Debug(kDebugCourierNew)
                                   ? kCourierNewFaceName
                                   : kPrivateFaceName;
}

}  // namespace rizarode
