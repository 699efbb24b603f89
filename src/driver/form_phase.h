#pragma once
// The form phase: which paper sizes the printer takes, each written as form
// blocks in its variants (portrait, landscape, and for A4 and A3 also with
// manual feed).

#include <cstdint>
#include <string>
#include <vector>

namespace rizarode {

class DriverWriter;
class Program;

// The paper-size numbers to try, chosen by the debug flags.
std::vector<int16_t> FormCandidates(int16_t debugFlags);

// What a paper size is called in the driver file, and how it is offered.
struct FormName {
  std::string base;
  bool manualFeed = false;  // also offered with manual feed
  bool line65One = true;    // "65 : 1"; "65 : 0" for Letter and fanfold
};

// Name of paper-size number n found at position in the candidate list, for
// a page of height and width twips; sizes without a name of their own are
// named by position and size in centimetres.
FormName NameForm(int16_t n, int position, float height, float width);

// "#FORM-" + variant letter + the number's last three digits + "#".
std::string FormCode(char variantLetter, int16_t paperSize);

// Tries every candidate on the printer and appends the form blocks; returns
// how many it wrote.
int16_t RunFormPhase(Program& program, DriverWriter& writer);

}  // namespace rizarode
