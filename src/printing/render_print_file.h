#pragma once
// The print-file interpreter: tagged text in, printer calls out.

#include <string>

namespace rizarode {

class Program;

// Prints one complete print file on the printer.
void RenderPrintFile(Program& program, const std::string& path);

}  // namespace rizarode
