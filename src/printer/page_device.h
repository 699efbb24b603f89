#pragma once
// What a printer needs of the machine to put pages on paper: sheets, faces
// and their design metrics, and a document of pages on which runs of 8-bit
// text and filled rectangles are drawn at positions in device pixels.
// Everything else a printer does (where text goes, when a page ends, how
// wide a character is) is the printer's own and the same on every system.
//
// Every operation may fail with PrinterError.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "printer/printer.h"

namespace rizarode {

// A sheet that the device takes: its size and the unprintable border of
// each edge, in micrometres, all of the sheet upright (portrait).
struct DeviceSheet {
  int32_t widthMicrons = 0, heightMicrons = 0;
  int32_t leftMicrons = 0, topMicrons = 0, rightMicrons = 0, bottomMicrons = 0;
};

// How a page is to come out: the paper-size number, the orientation and
// the bin, as the printer's settings name them, and the sheet they give.
struct PageSetup {
  int16_t paperSize = 0;
  int16_t orientation = kOrientationPortrait;
  int16_t bin = kPaperBinAuto;
  DeviceSheet sheet;
};

struct FaceRequest {
  std::string face;
  bool bold = false, italic = false;
  // The em height in device pixels, for a device whose faces have no
  // outlines and so no design units of their own.
  int32_t emPixels = 0;
};

// A face as the device found it for a request. Lengths are in the face's
// design units, unitsPerEm to the em: the printer scales them to its sizes.
class DeviceFace {
 public:
  virtual ~DeviceFace() = default;

  // The face actually selected (8-bit text): a stand-in's when the face
  // asked for is not there.
  std::string name;
  int32_t unitsPerEm = 2048;
  std::array<int32_t, 256> advance{};
  int32_t ascent = 1638, descent = 410;
  int32_t underlinePosition = 0;  // below the baseline when negative
  int32_t underlineThickness = 0;
  // The device makes the bold from the regular face, which widens every
  // character by a pixel.
  bool syntheticBold = false;
};

// A face at an em height as the printer lays it out: the device draws each
// byte at the whole-pixel advance given here.
struct TextFont {
  std::shared_ptr<const DeviceFace> face;
  int32_t emPixels = 0;
  int32_t boldExtra = 0;  // pixels that synthetic bold adds to each advance
  std::array<int32_t, 256> advance{};
};

class PageDevice {
 public:
  virtual ~PageDevice() = default;

  // The device's name (8-bit text); empty when there is none.
  virtual std::string Name() const = 0;
  // Dots per inch of every position and length handed over.
  virtual int Resolution() const = 0;
  // The setup that pages have until the program chooses another.
  virtual PageSetup InitialSetup() const = 0;
  // The sheet of a paper-size number, or nothing when the device lacks it.
  virtual std::optional<DeviceSheet> Sheet(int16_t paperSize) = 0;
  // Looked up against the faces installed now.
  virtual std::shared_ptr<const DeviceFace> Face(const FaceRequest& request) = 0;

  virtual void BeginDocument(const std::string& title) = 0;
  virtual void BeginPage(const PageSetup& setup) = 0;
  // Positions count from the sheet's top-left corner, turned as the page's
  // orientation turns it. The text's first byte has its origin at x on the
  // baseline.
  virtual void DrawRun(const TextFont& font, int64_t x, int64_t baseline,
                        std::string_view bytes) = 0;
  virtual void FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) = 0;
  virtual void EndPage() = 0;
  // The document goes out as one job. Throws when it did not: nothing of
  // it reached the printer.
  virtual void EndDocument() = 0;
  // Nothing of the open document goes out. Never throws.
  virtual void AbortDocument() = 0;
  // Where each document ended since the last call went, in order.
  virtual std::vector<Delivery> TakeDeliveries() { return {}; }
  // See Printer::ExpectAnswersAgain.
  virtual void ExpectAnswersAgain() {}
};

}  // namespace rizarode
