#pragma once
// The program's icon: the PNG files that the package installs into the icon
// theme, built into the program (packaging/icons/make_icons.py writes them
// as data), so that its windows carry the icon wherever it runs from.

#include <cstddef>
#include <span>

namespace rizarode {

struct IconImage {
  int size;  // width and height in pixels
  const unsigned char* png;
  std::size_t bytes;
};

// Every size, smallest first.
std::span<const IconImage> ProgramIcon();

}  // namespace rizarode
