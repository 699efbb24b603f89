#pragma once

#include <string>

namespace rizarode {

class FileSystem;
class Program;

// The language code that the language directories in the current directory
// give, as DetectLanguage sets it.
std::string LanguageCodeHere(FileSystem& files);

// Sets the language code from the host application's language directories
// in the current directory; "NL" when none holds the marker file.
void DetectLanguage(Program& program);

}  // namespace rizarode
