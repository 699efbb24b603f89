#pragma once
// The driver file, which describes the default printer to the host
// application.

#include <cstdint>

namespace rizarode {

class Program;

// Keeps a current driver file or writes a new one in the work directory, and
// counts the paper forms and font pitches that it lists.
void GenerateDriverFile(Program& program, int16_t& formsCount,
                        int16_t& fontsCount);

}  // namespace rizarode
