#pragma once
// A printer with idealized metrics that records every call: the "0" is
// exactly 12 twips wide per point, text is 24 twips high per point, sizes
// read back unchanged, paper sizes come from a table the test may change.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "printer/printer.h"
#include "support/event_log.h"

namespace rizarode::testing {

class RecordingPrinter : public Printer {
 public:
  RecordingPrinter() = default;
  explicit RecordingPrinter(EventLog* log) : log_(log) {}

  // Paper sizes offered, as width and height in portrait, in twips.
  std::map<int16_t, std::pair<float, float>> papers = {
      {1, {12240, 15840}},  {4, {24480, 15840}},  {7, {10440, 15120}},
      {8, {16838, 23811}},  {9, {11906, 16838}},  {11, {8391, 11906}},
      {13, {10319, 14572}}, {40, {12240, 17280}}, {263, {12240, 17280}}};
  // Faces the printer takes; any other reads back as the fallback.
  std::set<std::string> faces = {"RUZeruzaz Ori", "Courier New", "Arial"};
  std::string fallbackFace = "Arial";
  std::string deviceName = "Test Printer";
  // Operations (by name, e.g. "SetFontSize") that fail with this code.
  std::set<std::string> failing;
  int failureCode = kPrinterErrorDevice;
  // Also fails an operation (by name) whenever this answers true.
  std::function<bool(const std::string& op)> failIf;
  // When above 0, a size set snaps to the nearest multiple of this many
  // points, as on a printer with a coarse size grid.
  float sizeStep = 0.0f;
  // What TakeDeliveries answers next, once.
  std::vector<Delivery> deliveries;
  // Every call, in order, e.g. "text:abc", "bold:1", "lineend".
  std::vector<std::string> calls;

  std::string DeviceName() override { return deviceName; }
  std::string FontName() override {
    Check("FontName");
    return fontName_;
  }
  void SetFontName(const std::string& face) override {
    Record("fontname:" + face, "SetFontName");
    auto it = std::find_if(faces.begin(), faces.end(), [&](const std::string& f) {
      return Upper(f) == Upper(face);
    });
    fontName_ = it != faces.end() ? *it : fallbackFace;
  }
  float FontSize() override {
    Check("FontSize");
    return fontSize_;
  }
  void SetFontSize(float points) override {
    Record("fontsize:" + Number(points), "SetFontSize");
    fontSize_ = sizeStep > 0.0f ? std::round(points / sizeStep) * sizeStep : points;
  }
  void SetFontBold(bool on) override { Record(std::string("bold:") + (on ? "1" : "0"), "SetFontBold"); bold = on; }
  void SetFontItalic(bool on) override { Record(std::string("italic:") + (on ? "1" : "0"), "SetFontItalic"); italic = on; }
  void SetFontUnderline(bool on) override { Record(std::string("underline:") + (on ? "1" : "0"), "SetFontUnderline"); underline = on; }

  void SetPaperSize(int16_t size) override {
    Record("papersize:" + std::to_string(size), "SetPaperSize");
    if (!papers.count(size)) throw PrinterError(kPrinterErrorBadPaperSize, "paper size not offered");
    paperSize = size;
  }
  int16_t PaperSize() override { Check("PaperSize"); return paperSize; }
  int16_t Orientation() override { Check("Orientation"); return orientation; }
  void SetOrientation(int16_t o) override {
    Record("orientation:" + std::to_string(o), "SetOrientation");
    if (o != 1 && o != 2) throw PrinterError(kPrinterErrorBadValue, "bad orientation");
    orientation = o;
  }
  int16_t PaperBin() override { Check("PaperBin"); return paperBin; }
  void SetPaperBin(int16_t bin) override {
    Record("bin:" + std::to_string(bin), "SetPaperBin");
    paperBin = bin;
  }
  float Width() override {
    Check("Width");
    auto [w, h] = papers.at(paperSize);
    return orientation == 2 ? h : w;
  }
  float Height() override {
    Check("Height");
    auto [w, h] = papers.at(paperSize);
    return orientation == 2 ? w : h;
  }
  float TextWidth(std::string_view text) override {
    Check("TextWidth");
    return 12.0f * fontSize_ * static_cast<float>(text.size());
  }
  float TextHeight(std::string_view) override {
    Check("TextHeight");
    return 24.0f * fontSize_;
  }
  void PrintText(std::string_view text) override { Record("text:" + std::string(text), "PrintText"); }
  void LineEnd() override { Record("lineend", "LineEnd"); }
  void NewPage() override { Record("newpage", "NewPage"); }
  void EndDoc() override { Record("enddoc", "EndDoc"); }
  void AbortDoc() override { calls.push_back("abortdoc"); }
  std::vector<Delivery> TakeDeliveries() override { return std::exchange(deliveries, {}); }

  // The printed text: pieces joined, "\n" per line end, "<NP>" per new
  // page, "<ED>" per end of document.
  std::string Printed() const {
    std::string out;
    for (const std::string& c : calls) {
      if (c.rfind("text:", 0) == 0) out += c.substr(5);
      else if (c == "lineend") out += "\n";
      else if (c == "newpage") out += "<NP>";
      else if (c == "enddoc") out += "<ED>";
    }
    return out;
  }

  // The size in effect, read without counting as a printer operation.
  float CurrentFontSize() const { return fontSize_; }

  bool bold = false, italic = false, underline = false;
  int16_t paperSize = 9;
  int16_t orientation = 1;
  int16_t paperBin = 7;

 private:
  static std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  }
  static std::string Number(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", static_cast<double>(v));
    return b;
  }
  void Check(const std::string& op) {
    if (failing.count(op) || (failIf && failIf(op))) {
      throw PrinterError(failureCode, op + " failed");
    }
  }
  void Record(const std::string& call, const std::string& op) {
    calls.push_back(call);
    if (log_) log_->Add("printer." + call);
    Check(op);
  }

  EventLog* log_ = nullptr;
  std::string fontName_ = "Arial";
  float fontSize_ = 10.0f;
};

}  // namespace rizarode::testing
