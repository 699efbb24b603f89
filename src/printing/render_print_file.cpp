#include "printing/render_print_file.h"

#include "startup/program.h"

namespace rizarode {

void RenderPrintFile(Program& program, const std::string& path) {
  (void)program;
  (void)path;
}

}  // namespace rizarode
