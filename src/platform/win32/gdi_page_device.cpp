#include "platform/win32/gdi_page_device.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rizarode {
namespace {

// The LOGFONT qualities a font may be asked for with. A printer does not
// draw them differently; they only make a request new to GDI (see FindFace).
constexpr BYTE kQualities[] = {DEFAULT_QUALITY, PROOF_QUALITY, DRAFT_QUALITY,
                               NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY};
constexpr int kQualityCount = static_cast<int>(sizeof kQualities);

// A face realised at the em that the printer asked for: what draws it.
struct GdiFace : DeviceFace {
  explicit GdiFace(HFONT h) : handle(h) {}
  ~GdiFace() override { DeleteObject(handle); }
  HFONT handle;
};

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

std::string TextFace(HDC dc) {
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, face);
  return face;
}

int32_t Microns(int pixels, int dpi) {
  return static_cast<int32_t>(std::lround(pixels * 25400.0 / dpi));
}

}  // namespace

GdiPageDevice::GdiPageDevice() : GdiPageDevice(DefaultPrinterName()) {}

GdiPageDevice::GdiPageDevice(const std::string& printerName) { Open(printerName); }

GdiPageDevice::~GdiPageDevice() {
  AbortDocument();
  if (dc_) DeleteDC(dc_);
}

void GdiPageDevice::Open(const std::string& printerName) {
  name_ = printerName;
  if (name_.empty()) return;
  HANDLE printer = nullptr;
  if (!OpenPrinterA(name_.data(), &printer, nullptr)) return;

  // The printer's own settings as its user left them (its default DEVMODE),
  // completed by the driver: paper, orientation, bin and the rest start
  // from there; the program changes only what it names.
  std::string port;
  std::vector<BYTE> info;
  DEVMODEA* stored = nullptr;
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  if (needed > 0) {
    info.resize(needed);
    if (GetPrinterA(printer, 2, info.data(), needed, &needed)) {
      auto* info2 = reinterpret_cast<PRINTER_INFO_2A*>(info.data());
      if (info2->pPortName) port = info2->pPortName;
      stored = info2->pDevMode;
    }
  }
  LONG size = DocumentPropertiesA(nullptr, printer, name_.data(), nullptr, nullptr, 0);
  if (size > 0) {
    devmode_.assign(static_cast<std::size_t>(size), 0);
    const DWORD mode = stored ? DM_IN_BUFFER | DM_OUT_BUFFER : DM_OUT_BUFFER;
    if (DocumentPropertiesA(nullptr, printer, name_.data(), AsDevmode(devmode_), stored, mode) !=
        IDOK) {
      devmode_.clear();
    }
  }
  ClosePrinter(printer);

  // The orientation and the bin are the user's until the program sets
  // them; what is read here can be set back later as it was.
  DEVMODEA* dm = AsDevmode(devmode_);
  if (dm) {
    if (dm->dmFields & DM_PAPERSIZE) initial_.paperSize = dm->dmPaperSize;
    if ((dm->dmFields & DM_ORIENTATION) && (dm->dmOrientation == DMORIENT_PORTRAIT ||
                                            dm->dmOrientation == DMORIENT_LANDSCAPE)) {
      initial_.orientation = dm->dmOrientation;
    }
    if ((dm->dmFields & DM_DEFAULTSOURCE) && ValidPaperBin(dm->dmDefaultSource)) {
      initial_.bin = dm->dmDefaultSource;
    }
  }
  applied_ = {initial_.paperSize, initial_.orientation, initial_.bin};
  dc_ = CreateDCA("WINSPOOL", name_.c_str(), nullptr, dm);
  if (!dc_) return;
  dpi_ = std::max(0, GetDeviceCaps(dc_, LOGPIXELSY));
  dpiX_ = std::max(0, GetDeviceCaps(dc_, LOGPIXELSX));

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

  initial_.sheet = SheetOf(FindPaper(initial_.paperSize));
}

void GdiPageDevice::RequirePrinter() const {
  if (dc_) return;
  throw PrinterError(kPrinterErrorNoPrinter,
                     name_.empty() ? "there is no default printer"
                                   : "the printer " + name_ + " cannot be reached");
}

const GdiPageDevice::Paper* GdiPageDevice::FindPaper(int16_t number) const {
  auto it = std::find_if(papers_.begin(), papers_.end(),
                         [number](const Paper& p) { return p.number == number; });
  return it == papers_.end() ? nullptr : &*it;
}

PageSetup GdiPageDevice::InitialSetup() const { return initial_; }

std::optional<DeviceSheet> GdiPageDevice::Sheet(int16_t paperSize) {
  RequirePrinter();
  const Paper* paper = FindPaper(paperSize);
  if (!paper) return std::nullopt;
  auto it = sheets_.find(paperSize);
  if (it == sheets_.end()) it = sheets_.emplace(paperSize, SheetOf(paper)).first;
  return it->second;
}

// The sheet's nominal size, so that the same paper gives the same numbers
// whatever the device's resolution, and the printable area that the driver
// gives it upright. Without a paper of the list (a sheet of the driver's
// own), the sheet of the printer's settings, as large as the driver makes
// it upright.
DeviceSheet GdiPageDevice::SheetOf(const Paper* paper) const {
  DeviceSheet sheet;
  std::vector<char> upright = devmode_;
  DEVMODEA* dm = AsDevmode(upright);
  if (dm) {
    dm->dmOrientation = DMORIENT_PORTRAIT;
    dm->dmFields |= DM_ORIENTATION;
  }
  if (paper) {
    sheet.widthMicrons = paper->width * 100;
    sheet.heightMicrons = paper->height * 100;
    if (dm) {
      dm->dmPaperSize = paper->number;
      dm->dmFields |= DM_PAPERSIZE;
      dm->dmFields &= ~static_cast<DWORD>(DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME);
    }
  }
  HDC ic = CreateICA("WINSPOOL", name_.c_str(), nullptr, dm);
  if (!ic) return sheet;
  const int x = GetDeviceCaps(ic, PHYSICALOFFSETX), y = GetDeviceCaps(ic, PHYSICALOFFSETY);
  const int right = GetDeviceCaps(ic, PHYSICALWIDTH) - GetDeviceCaps(ic, HORZRES) - x;
  const int bottom = GetDeviceCaps(ic, PHYSICALHEIGHT) - GetDeviceCaps(ic, VERTRES) - y;
  const int dpiX = std::max(1, GetDeviceCaps(ic, LOGPIXELSX));
  const int dpiY = std::max(1, GetDeviceCaps(ic, LOGPIXELSY));
  if (!paper) {
    sheet.widthMicrons = Microns(GetDeviceCaps(ic, PHYSICALWIDTH), dpiX);
    sheet.heightMicrons = Microns(GetDeviceCaps(ic, PHYSICALHEIGHT), dpiY);
  }
  DeleteDC(ic);
  sheet.leftMicrons = Microns(std::max(0, x), dpiX);
  sheet.topMicrons = Microns(std::max(0, y), dpiY);
  sheet.rightMicrons = Microns(std::max(0, right), dpiX);
  sheet.bottomMicrons = Microns(std::max(0, bottom), dpiY);
  return sheet;
}

std::shared_ptr<const DeviceFace> GdiPageDevice::Face(const FaceRequest& request) {
  RequirePrinter();
  std::string name;
  HFONT handle = FindFace(request, name);
  auto face = std::make_shared<GdiFace>(handle);
  face->name = name;
  face->onlyEmPixels = request.emPixels;
  ReadDesignMetrics(request, handle, *face);
  return face;
}

// GDI keeps the face it found for a LOGFONT and may hand out the same
// realisation for the same LOGFONT later, even after the face asked for was
// added with AddFontResourceA (Wine does, per device, for the rest of the
// process). So when the face read back is a stand-in while the face itself
// is installed, the request is made new by another quality, which a printer
// ignores, and the quality that finds it is kept for later requests.
HFONT GdiPageDevice::FindFace(const FaceRequest& request, std::string& face) {
  HFONT handle = CreateFontWithQuality(request, quality_, request.emPixels);
  if (!handle) DeviceFailure("CreateFontA");
  HGDIOBJ previous = SelectObject(dc_, handle);
  face = TextFace(dc_);
  if (!SameFaceName(face, request.face) && FaceInstalled(request.face)) {
    for (int q = 0; q < kQualityCount; ++q) {
      if (q == quality_) continue;
      HFONT retry = CreateFontWithQuality(request, q, request.emPixels);
      if (!retry) continue;
      SelectObject(dc_, retry);
      std::string retryFace = TextFace(dc_);
      if (SameFaceName(retryFace, request.face)) {
        DeleteObject(handle);
        handle = retry;
        face = retryFace;
        quality_ = q;
        break;
      }
      SelectObject(dc_, handle);
      DeleteObject(retry);
    }
  }
  SelectObject(dc_, previous);
  return handle;
}

// The face's own metrics in its design units, read from the face realised
// at one pixel a unit: the printer scales and rounds them itself, so that
// the drawing follows its layout and not the driver's glyphs. A face
// without outlines keeps the metrics GDI gives at the size itself.
void GdiPageDevice::ReadDesignMetrics(const FaceRequest& request, HFONT realised,
                                      DeviceFace& face) {
  HGDIOBJ previous = SelectObject(dc_, realised);
  UINT unitsPerEm = 0;
  if (UINT size = GetOutlineTextMetricsA(dc_, 0, nullptr); size >= sizeof(OUTLINETEXTMETRICA)) {
    std::vector<char> buffer(size);
    auto* outline = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
    if (GetOutlineTextMetricsA(dc_, size, outline)) unitsPerEm = outline->otmEMSquare;
  }
  HFONT design = unitsPerEm > 0
                     ? CreateFontWithQuality(request, quality_, static_cast<int32_t>(unitsPerEm))
                     : nullptr;
  if (design) {
    SelectObject(dc_, design);
    if (!SameFaceName(TextFace(dc_), face.name)) {
      SelectObject(dc_, realised);
      DeleteObject(design);
      design = nullptr;
    }
  }
  // Read from whichever is selected now: the design size, else the em.
  INT widths[256] = {};
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc_, &metrics);
  const bool measured = GetCharWidth32A(dc_, 0, 255, widths);
  DesignMetrics& m = face.metrics;
  m.unitsPerEm = design ? static_cast<int32_t>(unitsPerEm) : request.emPixels;
  for (int b = 0; b < 256; ++b) m.advance[b] = measured ? widths[b] : metrics.tmAveCharWidth;
  m.ascent = metrics.tmAscent;
  m.descent = metrics.tmDescent;
  if (UINT size = GetOutlineTextMetricsA(dc_, 0, nullptr); size >= sizeof(OUTLINETEXTMETRICA)) {
    std::vector<char> buffer(size);
    auto* outline = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
    if (GetOutlineTextMetricsA(dc_, size, outline)) {
      m.underlinePosition = outline->otmsUnderscorePosition;
      m.underlineThickness = static_cast<int32_t>(outline->otmsUnderscoreSize);
    }
  }
  // A bold asked of a face whose file is not bold is made by GDI, which
  // widens every character by a pixel: the printer adds it itself.
  if (request.bold) {
    unsigned char weight[2] = {};
    constexpr DWORD kOs2 = 0x322F534F;  // "OS/2", as GetFontData names tables
    if (GetFontData(dc_, kOs2, 4, weight, sizeof weight) == sizeof weight) {
      face.syntheticBold = (weight[0] << 8 | weight[1]) < FW_SEMIBOLD;
    }
  }
  SelectObject(dc_, previous);
  if (design) DeleteObject(design);
}

HFONT GdiPageDevice::CreateFontWithQuality(const FaceRequest& request, int quality,
                                           int32_t height) const {
  return CreateFontA(-height, 0, 0, 0, request.bold ? FW_BOLD : FW_NORMAL, request.italic, FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     kQualities[quality], DEFAULT_PITCH | FF_DONTCARE, request.face.c_str());
}

bool GdiPageDevice::FaceInstalled(const std::string& face) const {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  std::memcpy(query.lfFaceName, face.c_str(), face.size());
  bool found = false;
  EnumFontFamiliesExA(dc_, &query, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// Positions come in pixels of the document's resolution, which is the
// vertical one's whenever the driver says it.
int GdiPageDevice::DeviceX(int64_t x) const {
  if (dpiX_ <= 0 || positionDpi_ <= 0) return static_cast<int>(x);
  return static_cast<int>(std::llround(static_cast<double>(x) * dpiX_ / positionDpi_));
}

// The job starts with its first page, once that page's setup is on the
// device context: a driver may take the orientation of the whole job from
// the one it has at StartDoc.
void GdiPageDevice::BeginDocument(const std::string& title, int dpi) {
  RequirePrinter();
  positionDpi_ = dpi;
  title_ = title;
  inDocument_ = true;
  started_ = false;
}

// The page's setup reaches the device context before the page starts.
void GdiPageDevice::ApplySetup(const PageSetup& setup) {
  const auto wanted = std::make_tuple(setup.paperSize, setup.orientation, setup.bin);
  DEVMODEA* dm = AsDevmode(devmode_);
  if (wanted == applied_ || !dm) return;
  if (FindPaper(setup.paperSize)) {
    dm->dmPaperSize = setup.paperSize;
    dm->dmFields |= DM_PAPERSIZE;
    dm->dmFields &= ~static_cast<DWORD>(DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME);
  }
  dm->dmOrientation = setup.orientation;
  dm->dmDefaultSource = setup.bin;
  dm->dmFields |= DM_ORIENTATION | DM_DEFAULTSOURCE;
  if (!ResetDCA(dc_, dm)) DeviceFailure("ResetDCA");
  applied_ = wanted;
}

// The driver lays the sheet as the setup's orientation says.
void GdiPageDevice::BeginPage(const PageSetup& setup, const DeviceSheet&) {
  ApplySetup(setup);
  if (!started_) {
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = title_.c_str();
    if (StartDocA(dc_, &info) <= 0) DeviceFailure("StartDocA");
    started_ = true;
  }
  if (StartPage(dc_) <= 0) DeviceFailure("StartPage");
  offsetX_ = GetDeviceCaps(dc_, PHYSICALOFFSETX);
  offsetY_ = GetDeviceCaps(dc_, PHYSICALOFFSETY);
}

void GdiPageDevice::DrawRun(const LayoutFont& font, int64_t x, int64_t baseline,
                            std::string_view bytes) {
  const auto& face = static_cast<const GdiFace&>(*font.face);
  HGDIOBJ previous = SelectObject(dc_, face.handle);
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
  // Each character placed where the sum of the advances before it ends,
  // so that a horizontal resolution of its own does not make them drift.
  std::vector<INT> dx(bytes.size());
  int64_t at = x;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int64_t next = at + font.advance[static_cast<unsigned char>(bytes[i])];
    dx[i] = DeviceX(next) - DeviceX(at);
    at = next;
  }
  const BOOL drawn = ExtTextOutA(dc_, DeviceX(x) - offsetX_, static_cast<int>(baseline) - offsetY_,
                                 0, nullptr, bytes.data(), static_cast<UINT>(bytes.size()),
                                 dx.data());
  SelectObject(dc_, previous);
  if (!drawn) DeviceFailure("ExtTextOutA");
}

void GdiPageDevice::FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) {
  RECT r{DeviceX(x) - offsetX_, static_cast<LONG>(y) - offsetY_, DeviceX(x + width) - offsetX_,
         static_cast<LONG>(y + height) - offsetY_};
  if (!FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)))) {
    DeviceFailure("FillRect");
  }
}

void GdiPageDevice::EndPage() {
  if (::EndPage(dc_) <= 0) DeviceFailure("EndPage");
}

void GdiPageDevice::EndDocument() {
  if (::EndDoc(dc_) <= 0) {
    const std::string why = LastErrorText("EndDoc");
    AbortDocument();
    throw PrinterError(kPrinterErrorDevice, why);
  }
  inDocument_ = started_ = false;
  Delivery delivery;
  delivery.printer = name_;
  deliveries_.push_back(std::move(delivery));
}

// The device context is made anew: some drivers (Wine's) keep the aborted
// job on it, and every later StartDocA on it fails.
void GdiPageDevice::AbortDocument() {
  if (!inDocument_) return;
  inDocument_ = false;
  if (!started_) return;
  started_ = false;
  ::AbortDoc(dc_);
  HDC fresh = CreateDCA("WINSPOOL", name_.c_str(), nullptr, AsDevmode(devmode_));
  if (!fresh) return;  // the old one is still better than none
  DeleteDC(dc_);
  dc_ = fresh;
}

}  // namespace rizarode
