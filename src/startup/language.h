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

// The language of a message about the host directory itself: the host
// application's when the directory has a language marker, else the one the
// user's session is set to (the run's code when the system does not say).
std::string MessageLanguageOfUser(Program& program);

}  // namespace rizarode
