#include "startup/work_directory.h"

#include "startup/program.h"

namespace rizarode {

// Until the candidate search lands, the current directory serves.
void ResolveWorkDirectory(Program& program, const std::string& argumentText) {
  (void)argumentText;
  program.state.workDirectory.clear();
}

bool ProbeFilePath(Program& program, const std::string& path) {
  (void)program;
  (void)path;
  return false;
}

std::string TakeToken(std::string& text, const std::string& delimiter) {
  std::size_t at = text.find(delimiter);
  if (at == std::string::npos) {
    std::string all = std::move(text);
    text.clear();
    return all;
  }
  std::string head = text.substr(0, at);
  text.erase(0, at + delimiter.size());
  return head;
}

}  // namespace rizarode
