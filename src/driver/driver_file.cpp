#include "driver/driver_file.h"

#include "startup/program.h"

namespace rizarode {

// Until driver generation lands, start-up goes on without a driver file.
void GenerateDriverFile(Program& program, int16_t& formsCount,
                        int16_t& fontsCount) {
  (void)program;
  formsCount = 1;
  fontsCount = 1;
}

}  // namespace rizarode
