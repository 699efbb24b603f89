#pragma once
// The Windows default printer's pages through GDI: one device context on
// the printer, a DEVMODE for each page's paper size, orientation and bin
// (applied through ResetDC before StartPage), faces found by CreateFontA and
// measured in their design units, text drawn with ExtTextOutA at the
// positions the printer laid out. A document whose drawing or ending fails
// is aborted: nothing of it stays in an open job.

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "printer/page_device.h"

struct HDC__;
struct HFONT__;

namespace rizarode {

class GdiPageDevice : public PageDevice {
 public:
  // The default printer; with none, Name is empty and every other
  // operation fails with kPrinterErrorNoPrinter.
  GdiPageDevice();
  // A named printer (tests).
  explicit GdiPageDevice(const std::string& printerName);
  // A document still open is aborted (the printer ends what it printed).
  ~GdiPageDevice() override;
  GdiPageDevice(const GdiPageDevice&) = delete;
  GdiPageDevice& operator=(const GdiPageDevice&) = delete;

  std::string Name() const override { return name_; }
  PageSetup InitialSetup() const override;
  std::optional<DeviceSheet> Sheet(int16_t paperSize) override;

  int Resolution() const override { return dpi_; }
  // Each face is realised at the em asked for: that is the one it draws.
  std::shared_ptr<const DeviceFace> Face(const FaceRequest& request) override;

  void BeginDocument(const std::string& title, int dpi) override;
  void BeginPage(const PageSetup& setup, const DeviceSheet& lying) override;
  void DrawRun(const LayoutFont& font, int64_t x, int64_t baseline,
               std::string_view bytes) override;
  void FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) override;
  void EndPage() override;
  void EndDocument() override;
  void AbortDocument() override;

  std::vector<Delivery> TakeDeliveries() override { return std::exchange(deliveries_, {}); }
  // The spooler takes a job at once: nothing is waited for.
  void ExpectAnswersAgain() override {}

 private:
  struct Paper {
    int16_t number;
    // Portrait size in tenths of a millimetre, as the driver reports it.
    int32_t width, height;
  };

  void Open(const std::string& printerName);
  void RequirePrinter() const;
  const Paper* FindPaper(int16_t number) const;
  DeviceSheet SheetOf(const Paper* paper) const;
  HFONT__* CreateFontWithQuality(const FaceRequest& request, int quality, int32_t height) const;
  HFONT__* FindFace(const FaceRequest& request, std::string& face);
  void ReadDesignMetrics(const FaceRequest& request, HFONT__* realised, DeviceFace& face);
  bool FaceInstalled(const std::string& face) const;
  int DeviceX(int64_t x) const;
  void ApplySetup(const PageSetup& setup);

  std::string name_;
  HDC__* dc_ = nullptr;
  std::vector<char> devmode_;
  std::vector<Paper> papers_;
  std::map<int16_t, DeviceSheet> sheets_;
  // Vertical and horizontal resolution; 0 when the driver does not say.
  int dpi_ = 0;
  int dpiX_ = 0;
  // The resolution of the positions handed over.
  int positionDpi_ = 0;
  PageSetup initial_;
  // Index into the LOGFONT qualities; see FindFace().
  int quality_ = 0;

  // The paper, orientation and bin that the device context has.
  std::tuple<int16_t, int16_t, int16_t> applied_;
  bool inDocument_ = false;
  bool started_ = false;  // StartDoc has been called for it
  std::string title_;
  // Where the printable area starts on the sheet, in device pixels.
  int offsetX_ = 0, offsetY_ = 0;
  std::vector<Delivery> deliveries_;
};

}  // namespace rizarode
