#pragma once
// The print-file interpreter: tagged text in, printer calls out.

#include <string>

namespace rizarode {

class Program;

// Prints one complete print file on the printer. False when the file could
// not be opened: then nothing was printed and the file is still unprinted.
bool RenderPrintFile(Program& program, const std::string& path);

}  // namespace rizarode
