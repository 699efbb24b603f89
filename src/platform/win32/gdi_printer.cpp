#include "platform/win32/gdi_printer.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace rizarode {
namespace {

constexpr float kStartFontPoints = 10.0f;
// Far beyond any size a sheet can show; keeps silly sizes from tags finite.
constexpr double kLargestEmPixels = 16383;

// The LOGFONT qualities a font may be asked for with. A printer does not
// draw them differently; they only make a request new to GDI (see Font()).
constexpr BYTE kQualities[] = {DEFAULT_QUALITY, PROOF_QUALITY, DRAFT_QUALITY,
                               NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY};
constexpr int kQualityCount = static_cast<int>(sizeof kQualities);

bool ValidBin(int16_t bin) { return (bin >= 1 && bin <= 15) || bin >= 256; }

bool SameFace(const std::string& a, const std::string& b) {
  return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string LastErrorText(const char* what) {
  return std::string(what) + " failed (Windows error " + std::to_string(GetLastError()) + ")";
}

[[noreturn]] void DeviceFailure(const char* what) {
  throw PrinterError(kPrinterErrorDevice, LastErrorText(what));
}

std::string DefaultPrinterName() {
  DWORD size = 0;
  GetDefaultPrinterA(nullptr, &size);
  if (size == 0) return "";
  std::string name(size, '\0');
  if (!GetDefaultPrinterA(name.data(), &size)) return "";
  name.resize(std::strlen(name.c_str()));
  return name;
}

DEVMODEA* AsDevmode(std::vector<char>& bytes) {
  return bytes.empty() ? nullptr : reinterpret_cast<DEVMODEA*>(bytes.data());
}

int CALLBACK NoteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

GdiPrinter::GdiPrinter() : GdiPrinter(DefaultPrinterName()) {}

GdiPrinter::GdiPrinter(const std::string& printerName, std::string jobTitle)
    : title_(std::move(jobTitle)) {
  Open(printerName);
  SetFontSize(kStartFontPoints);
}

GdiPrinter::~GdiPrinter() {
  if (inDocument_) {
    try {
      EndDoc();
    } catch (const PrinterError& e) {
      std::fprintf(stderr, "%s: the last document could not be printed: %s\n", name_.c_str(),
                   e.what());
    }
  }
  ReleaseFont();
  if (dc_) DeleteDC(dc_);
}

void GdiPrinter::Open(const std::string& printerName) {
  name_ = printerName;
  if (name_.empty()) return;
  HANDLE printer = nullptr;
  if (!OpenPrinterA(name_.data(), &printer, nullptr)) return;

  // The printer's own settings as its driver keeps them: paper, bin and the
  // rest start from there; the program changes only what it names.
  LONG size = DocumentPropertiesA(nullptr, printer, name_.data(), nullptr, nullptr, 0);
  if (size > 0) {
    devmode_.assign(static_cast<std::size_t>(size), 0);
    if (DocumentPropertiesA(nullptr, printer, name_.data(), AsDevmode(devmode_), nullptr,
                            DM_OUT_BUFFER) != IDOK) {
      devmode_.clear();
    }
  }
  std::string port;
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  if (needed > 0) {
    std::vector<BYTE> info(needed);
    if (GetPrinterA(printer, 2, info.data(), needed, &needed)) {
      auto* info2 = reinterpret_cast<PRINTER_INFO_2A*>(info.data());
      if (info2->pPortName) port = info2->pPortName;
    }
  }
  ClosePrinter(printer);

  DEVMODEA* dm = AsDevmode(devmode_);
  if (dm) {
    dm->dmOrientation = DMORIENT_PORTRAIT;
    dm->dmFields |= DM_ORIENTATION;
    if (dm->dmFields & DM_PAPERSIZE) paperSize_ = dm->dmPaperSize;
  }
  dc_ = CreateDCA("WINSPOOL", name_.c_str(), nullptr, dm);
  if (!dc_) return;
  int dpi = GetDeviceCaps(dc_, LOGPIXELSY);
  if (dpi > 0) dpi_ = dpi;

  const char* portName = port.empty() ? nullptr : port.c_str();
  int count = DeviceCapabilitiesA(name_.c_str(), portName, DC_PAPERS, nullptr, dm);
  if (count > 0 &&
      DeviceCapabilitiesA(name_.c_str(), portName, DC_PAPERSIZE, nullptr, dm) == count) {
    std::vector<WORD> numbers(static_cast<std::size_t>(count));
    std::vector<POINT> sizes(static_cast<std::size_t>(count));
    DeviceCapabilitiesA(name_.c_str(), portName, DC_PAPERS, reinterpret_cast<LPSTR>(numbers.data()),
                        dm);
    DeviceCapabilitiesA(name_.c_str(), portName, DC_PAPERSIZE,
                        reinterpret_cast<LPSTR>(sizes.data()), dm);
    for (int i = 0; i < count; ++i) {
      papers_.push_back({static_cast<int16_t>(numbers[static_cast<std::size_t>(i)]),
                         static_cast<int32_t>(sizes[static_cast<std::size_t>(i)].x),
                         static_cast<int32_t>(sizes[static_cast<std::size_t>(i)].y)});
    }
  }
}

void GdiPrinter::RequirePrinter() const {
  if (dc_) return;
  throw PrinterError(kPrinterErrorNoPrinter,
                     name_.empty() ? "there is no default printer"
                                   : "the printer " + name_ + " cannot be reached");
}

const GdiPrinter::Paper* GdiPrinter::FindPaper(int16_t number) const {
  auto it = std::find_if(papers_.begin(), papers_.end(),
                         [number](const Paper& p) { return p.number == number; });
  return it == papers_.end() ? nullptr : &*it;
}

std::string GdiPrinter::DeviceName() { return name_; }

std::string GdiPrinter::FontName() { return Font().face; }

void GdiPrinter::SetFontName(const std::string& face) {
  face_ = face;
  ReleaseFont();
  if (dc_) Font();  // resolved now, against the fonts installed now
}

float GdiPrinter::FontSize() { return static_cast<float>(Font().em * 72.0 / dpi_); }

void GdiPrinter::SetFontSize(float points) {
  double pixels = static_cast<double>(points) * dpi_ / 72.0;
  if (!(pixels >= 1)) pixels = 1;  // also a size that is no number
  em_ = static_cast<int32_t>(std::min(std::nearbyint(pixels), kLargestEmPixels));
  ReleaseFont();
}

void GdiPrinter::SetFontBold(bool on) {
  if (bold_ != on) ReleaseFont();
  bold_ = on;
}

void GdiPrinter::SetFontItalic(bool on) {
  if (italic_ != on) ReleaseFont();
  italic_ = on;
}

void GdiPrinter::SetFontUnderline(bool on) {
  if (underline_ != on) ReleaseFont();
  underline_ = on;
}

void GdiPrinter::SetPaperSize(int16_t paperSize) {
  RequirePrinter();
  if (!FindPaper(paperSize)) {
    throw PrinterError(kPrinterErrorBadPaperSize,
                       "paper size " + std::to_string(paperSize) + " is not offered");
  }
  paperSize_ = paperSize;
  if (DEVMODEA* dm = AsDevmode(devmode_)) {
    dm->dmPaperSize = paperSize;
    dm->dmFields |= DM_PAPERSIZE;
    dm->dmFields &= ~static_cast<DWORD>(DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME);
  }
  SetupChanged();
}

int16_t GdiPrinter::Orientation() { return orientation_; }

void GdiPrinter::SetOrientation(int16_t orientation) {
  RequirePrinter();
  if (orientation != kOrientationPortrait && orientation != kOrientationLandscape) {
    throw PrinterError(kPrinterErrorBadValue,
                       "orientation " + std::to_string(orientation) + " is not valid");
  }
  orientation_ = orientation;
  if (DEVMODEA* dm = AsDevmode(devmode_)) {
    dm->dmOrientation = orientation;
    dm->dmFields |= DM_ORIENTATION;
  }
  SetupChanged();
}

int16_t GdiPrinter::PaperBin() { return bin_; }

void GdiPrinter::SetPaperBin(int16_t bin) {
  RequirePrinter();
  if (!ValidBin(bin)) {
    throw PrinterError(kPrinterErrorBadValue, "paper bin " + std::to_string(bin) + " is not valid");
  }
  bin_ = bin;
  if (DEVMODEA* dm = AsDevmode(devmode_)) {
    dm->dmDefaultSource = bin;
    dm->dmFields |= DM_DEFAULTSOURCE;
  }
  SetupChanged();
}

// The sheet's nominal size, so that the same paper gives the same numbers
// whatever the device's resolution.
float GdiPrinter::Width() {
  RequirePrinter();
  const Paper* paper = FindPaper(paperSize_);
  if (!paper) return Twips(GetDeviceCaps(dc_, PHYSICALWIDTH));
  int32_t tenths = orientation_ == kOrientationLandscape ? paper->height : paper->width;
  return static_cast<float>(std::lround(tenths * 1440.0 / 254.0));
}

float GdiPrinter::Height() {
  RequirePrinter();
  const Paper* paper = FindPaper(paperSize_);
  if (!paper) return Twips(GetDeviceCaps(dc_, PHYSICALHEIGHT));
  int32_t tenths = orientation_ == kOrientationLandscape ? paper->width : paper->height;
  return static_cast<float>(std::lround(tenths * 1440.0 / 254.0));
}

float GdiPrinter::TextWidth(std::string_view text) {
  const RealisedFont& font = Font();
  SelectObject(dc_, font.handle);
  SIZE size{};
  if (!text.empty() &&
      !GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size)) {
    DeviceFailure("GetTextExtentPoint32A");
  }
  return Twips(size.cx);
}

float GdiPrinter::TextHeight(std::string_view) { return Twips(Font().lineHeight); }

void GdiPrinter::PrintText(std::string_view text) {
  if (text.empty()) return;
  StartPageIfNone();
  const RealisedFont& font = Font();
  // Like a Windows printer, a line that would run past the bottom of the
  // printable area starts a new page rather than being lost.
  if (y_ > 0 && y_ + font.lineHeight > GetDeviceCaps(dc_, VERTRES)) {
    const int64_t x = x_;
    FinishPage();
    StartPageIfNone();
    x_ = x;
  }
  SelectObject(dc_, font.handle);
  SetBkMode(dc_, TRANSPARENT);
  const int length = static_cast<int>(text.size());
  if (!TextOutA(dc_, static_cast<int>(x_), static_cast<int>(y_), text.data(), length)) {
    DeviceFailure("TextOutA");
  }
  SIZE size{};
  GetTextExtentPoint32A(dc_, text.data(), length, &size);
  x_ += size.cx;
}

void GdiPrinter::LineEnd() {
  StartDocumentIfNone();
  x_ = 0;
  y_ += Font().lineHeight;
}

void GdiPrinter::NewPage() {
  StartPageIfNone();  // a page with nothing on it is still a page
  FinishPage();
}

void GdiPrinter::EndDoc() {
  if (!inDocument_) return;
  if (inPage_) FinishPage();
  inDocument_ = false;
  x_ = y_ = 0;
  if (pagesEnded_ == 0) {
    // Nothing was drawn: no empty job for the spooler.
    ::AbortDoc(dc_);
    return;
  }
  pagesEnded_ = 0;
  if (::EndDoc(dc_) <= 0) DeviceFailure("EndDoc");
}

// GDI keeps the face it found for a LOGFONT and may hand out the same
// realisation for the same LOGFONT later, even after the face asked for was
// added with AddFontResourceA (Wine does, per device, for the rest of the
// process). So when the face read back is a stand-in while the face itself
// is installed, the request is made new by another quality, which a printer
// ignores, and the quality that finds it is kept for later requests.
const GdiPrinter::RealisedFont& GdiPrinter::Font() {
  if (font_.handle) return font_;
  RequirePrinter();
  HFONT handle = CreateFontWithQuality(quality_);
  if (!handle) DeviceFailure("CreateFontA");
  char face[LF_FACESIZE] = {};
  HGDIOBJ previous = SelectObject(dc_, handle);
  GetTextFaceA(dc_, LF_FACESIZE, face);
  if (!SameFace(face, face_) && FaceInstalled(face_)) {
    for (int q = 0; q < kQualityCount; ++q) {
      if (q == quality_) continue;
      HFONT retry = CreateFontWithQuality(q);
      if (!retry) continue;
      SelectObject(dc_, retry);
      char retryFace[LF_FACESIZE] = {};
      GetTextFaceA(dc_, LF_FACESIZE, retryFace);
      if (SameFace(retryFace, face_)) {
        DeleteObject(handle);
        handle = retry;
        std::memcpy(face, retryFace, sizeof face);
        quality_ = q;
        break;
      }
      SelectObject(dc_, handle);
      DeleteObject(retry);
    }
  }
  SelectObject(dc_, handle);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc_, &metrics);
  SelectObject(dc_, previous);
  font_.handle = handle;
  font_.face = face;
  font_.em = metrics.tmHeight - metrics.tmInternalLeading;
  if (font_.em <= 0) font_.em = em_;
  font_.lineHeight = metrics.tmHeight;
  return font_;
}

HFONT GdiPrinter::CreateFontWithQuality(int quality) const {
  return CreateFontA(-em_, 0, 0, 0, bold_ ? FW_BOLD : FW_NORMAL, italic_, underline_, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     kQualities[quality], DEFAULT_PITCH | FF_DONTCARE, face_.c_str());
}

void GdiPrinter::ReleaseFont() {
  if (!font_.handle) return;
  if (dc_) SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  DeleteObject(font_.handle);
  font_ = RealisedFont{};
}

bool GdiPrinter::FaceInstalled(const std::string& face) const {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  std::memcpy(query.lfFaceName, face.c_str(), face.size());
  bool found = false;
  EnumFontFamiliesExA(dc_, &query, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// A setup chosen while a page is on the device waits for the next page.
void GdiPrinter::SetupChanged() {
  setupPending_ = true;
  if (!inPage_) ApplySetup();
}

void GdiPrinter::ApplySetup() {
  if (!setupPending_ || inPage_ || devmode_.empty()) return;
  if (!ResetDCA(dc_, AsDevmode(devmode_))) DeviceFailure("ResetDCA");
  setupPending_ = false;
}

void GdiPrinter::StartDocumentIfNone() {
  RequirePrinter();
  if (inDocument_) return;
  ApplySetup();
  DOCINFOA info{};
  info.cbSize = sizeof info;
  info.lpszDocName = title_.c_str();
  if (StartDocA(dc_, &info) <= 0) DeviceFailure("StartDocA");
  inDocument_ = true;
  pagesEnded_ = 0;
  x_ = y_ = 0;
}

void GdiPrinter::StartPageIfNone() {
  StartDocumentIfNone();
  if (inPage_) return;
  ApplySetup();
  if (StartPage(dc_) <= 0) DeviceFailure("StartPage");
  inPage_ = true;
}

void GdiPrinter::FinishPage() {
  inPage_ = false;
  y_ = 0;
  x_ = 0;
  if (EndPage(dc_) <= 0) DeviceFailure("EndPage");
  ++pagesEnded_;
  ApplySetup();
}

float GdiPrinter::Twips(int64_t pixels) const {
  return static_cast<float>(static_cast<double>(pixels) * 1440.0 / dpi_);
}

}  // namespace rizarode
