#pragma once
// The status window as it was designed: the size of its client area and the
// place, caption and font of every label, in twips (1/1440 inch). The form
// takes the captions from here, a window system the geometry and the fonts.

#include "platform/desktop.h"

namespace rizarode {

inline constexpr int kStatusClientWidth = 5205;
inline constexpr int kStatusClientHeight = 2865;

struct LabelDesign {
  StatusLabel label;
  int left, top, width, height;
  const char* caption;  // 8-bit; empty when set at run time
  // Empty family: the window's default font (MS Sans Serif, 8 points).
  const char* fontFamily;
  bool bold;
  double points;
  bool centred;
};

inline constexpr LabelDesign kStatusWindowDesign[] = {
    {StatusLabel::Label2, 360, 120, 4692, 1212, "VELDRAK", "Arial", true, 48, true},
    {StatusLabel::Label1, 480, 1320, 4572, 492, "Afdrukprogramma", "MS Sans Serif", true, 13.5, true},
    {StatusLabel::lblTekstVersie, 120, 1800, 612, 252, "Versie", "", false, 0, false},
    {StatusLabel::lblVersie, 840, 1800, 4332, 252, "", "", false, 0, false},
    {StatusLabel::lblPrinterTekst, 120, 2160, 612, 252, "Printer:", "", false, 0, false},
    {StatusLabel::lblPrinter, 840, 2160, 4332, 252, "", "", false, 0, false},
    {StatusLabel::lblStatusTekst, 120, 2520, 612, 252, "Status:", "", false, 0, false},
    {StatusLabel::lblStatus, 840, 2520, 4332, 252, "", "", false, 0, false},
};

// Where a window system puts a label. A centred label (the heading and the
// subtitle) stands in the middle of the client area, whatever width the face
// gives its text: its box is widened to lie evenly about the centre, with
// the smaller of its two designed margins on either side.
struct LabelBox {
  int left, top, width, height;
};

constexpr LabelBox PlacedBox(const LabelDesign& design) {
  if (!design.centred) return {design.left, design.top, design.width, design.height};
  const int right = kStatusClientWidth - design.left - design.width;
  const int margin = design.left < right ? design.left : right;
  return {margin, design.top, kStatusClientWidth - 2 * margin, design.height};
}

}  // namespace rizarode
