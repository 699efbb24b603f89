#pragma once

namespace rizarode {

class Program;

// Sets the language code from the host application's language directories
// in the current directory; "NL" when none holds the marker file.
void DetectLanguage(Program& program);

}  // namespace rizarode
