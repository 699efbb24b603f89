#pragma once
// Which machine a program file is for, told by its first bytes rather than
// its name: the host's DOS executable and a native stand-in are both called
// "VELDRAK.EXE".

#include <string>

namespace rizarode {

enum class ProgramKind {
  kNative,  // ELF, a "#!" script, or anything this system may know how to run
  kDos,     // an MZ executable without a Windows header, or a DOS .COM file
};

// Reads the start of the file at path. A file that cannot be read is native:
// starting it then fails as it would without this test.
ProgramKind KindOfProgram(const std::string& path);

// Whether the file starts as a program of this system (ELF or "#!"); a
// .PIF that does is a native stand-in, not a description to read.
bool HasNativeStart(const std::string& path);

}  // namespace rizarode
