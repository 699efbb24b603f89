#include "driver/font_phase.h"

#include <cmath>

#include "base/text.h"
#include "driver/driver_numbers.h"
#include "driver/driver_writer.h"
#include "printer/printer.h"
#include "printing/status_window.h"
#include "program/numbers.h"
#include "program/program.h"

namespace rizarode {
namespace {

// The search range in hundredths of a point.
constexpr int32_t kLargestSize = 3200;

// A printer only applies a size fully once it knows the face as well.
void SetFontSizeAndFace(Printer& printer, const std::string& face, float size) {
  printer.SetFontSize(size);
  printer.SetFontName(face);
  printer.SetFontSize(size);
}

float ProbeSize(int32_t hundredths) {
  return static_cast<float>(static_cast<double>(hundredths) / 100.0);
}

// Width of the "0" in hundredths of a twip at a size in hundredths of a point.
float ZeroWidthAt(Printer& printer, const std::string& face, int32_t hundredths) {
  SetFontSizeAndFace(printer, face, ProbeSize(hundredths));
  return printer.TextWidth("0") * 100.0f;
}

void ShowDebug(Program& program, const std::string& text) {
  ShowStatus(program, text, "", 0);
}

struct ZeroExtent {
  float height;
  float width;
};

void WriteFontBlock(DriverWriter& writer, int16_t pitch, float size,
                    const ZeroExtent& zero) {
  writer.EmptyLine();
  writer.Line("80", "VKCourier " + Decimal(pitch) + " cpi");
  writer.Line("81", FontCode(size));
  writer.Line("82", "#font#");
  writer.Line("83", SingleText(zero.height));
  writer.Line("84", SingleText(zero.width));
  writer.Line("85", "0");
  writer.Line("86", "");
}

// Finds and sets the size of a pitch and measures it there; nothing when
// the printer cannot tell it from the size of the last block or fails. The
// block is written only after every measurement, so a failure leaves no
// partial block behind.
bool TryWritePitch(Program& program, DriverWriter& writer, int16_t pitch,
                   float& lastAcceptedSize) {
  Printer& printer = program.printer;
  const std::string& face = program.state.fontFaceName;
  try {
    float size = FindFontSizeForPitch(program, pitch);
    if (!(size > 0.0f) || size == lastAcceptedSize) return false;
    SetFontSizeAndFace(printer, face, size);
    ZeroExtent zero{};
    zero.height = printer.TextHeight("0");
    zero.width = printer.TextWidth("0");
    WriteFontBlock(writer, pitch, size, zero);
    lastAcceptedSize = size;
    return true;
  } catch (const PrinterError&) {
    return false;
  }
}

}  // namespace

bool PrinterTakesFace(Printer& printer, const std::string& face) {
  try {
    printer.SetFontName(face);
  } catch (const PrinterError&) {
  }
  try {
    return UpperCase(printer.FontName()) == UpperCase(face);
  } catch (const PrinterError&) {
    return false;
  }
}

namespace {

// Width of one character of the pitch in hundredths of a twip.
int32_t PitchTargetWidth(int16_t pitch) {
  return static_cast<int32_t>(RoundHalfEven(1440.0 / pitch * 100.0));
}

}  // namespace

float FindFontSizeForPitch(Program& program, int16_t pitch) {
  Printer& printer = program.printer;
  const std::string& face = program.state.fontFaceName;
  const double target = PitchTargetWidth(pitch);
  int32_t lo = 0;
  int32_t hi = kLargestSize;
  while (lo < hi) {
    int32_t mid = (lo + hi + 1) / 2;
    if (ZeroWidthAt(printer, face, mid - 1) < target) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  if (ZeroWidthAt(printer, face, hi) != target) hi = hi - 1;
  SetFontSizeAndFace(printer, face, ProbeSize(hi));
  return printer.FontSize();
}

std::string FontCode(float size) {
  double hundredths = RoundHalfEven(static_cast<double>(size * 100.0f));
  // Only the last four digits are kept; fmod is exact for whole numbers.
  auto lastDigits = static_cast<long long>(std::fmod(std::fabs(hundredths), 10000.0));
  return "#FONT-" + ZeroPadded(lastDigits, 4) + "#";
}

int16_t RunFontPhase(Program& program, DriverWriter& writer) {
  const std::string& face = program.state.fontFaceName;
  if (!PrinterTakesFace(program.printer, face)) return 0;
  ShowDebug(program, "Font " + face + " correct installed.");
  int16_t fontsCount = 0;
  float lastAcceptedSize = 0.0f;
  for (int16_t pitch : kPitches) {
    program.platform.desktop.DoEvents();
    if (TryWritePitch(program, writer, pitch, lastAcceptedSize)) {
      ++fontsCount;
      ShowDebug(program, "Font " + Decimal(pitch) + " cpi installed.");
    } else {
      ShowDebug(program, "Font " + Decimal(pitch) + " cpi NOT installed.");
    }
  }
  ShowDebug(program, "End of driver generation.");
  return fontsCount;
}

}  // namespace rizarode
