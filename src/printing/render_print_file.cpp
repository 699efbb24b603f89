#include "printing/render_print_file.h"

#include "startup/program.h"

namespace rizarode {

bool RenderPrintFile(Program& program, const std::string& path) {
  (void)program;
  (void)path;
  return true;
}

}  // namespace rizarode
