#pragma once
// The demo host's print jobs: reports on a made-up family, written as print
// file lines with the tags the driver file offers. Texts are Windows-1252.

#include <string>
#include <vector>

#include "driver_choice.h"

namespace veldrak {

// A descendants report over four generations: two portrait pages (the
// second in a smaller pitch) and a landscape overview page. A reference,
// when not empty, is printed under the heading.
std::vector<std::string> DescendantsReport(const DriverChoice& choice,
                                           const std::string& reference);

// A one-page family group sheet.
std::vector<std::string> FamilyGroupSheet(const DriverChoice& choice,
                                          const std::string& reference);

}  // namespace veldrak
