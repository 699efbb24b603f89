#include "program/program.h"

namespace rizarode {

Program::Program(Platform& p) : platform(p), files(p.files) {}

Program::~Program() = default;

}  // namespace rizarode
