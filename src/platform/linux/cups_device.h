#pragma once
// A destination of the CUPS print service as a page printer's device: its
// media list, its resolution, and a print job for every document.

#include <cups/cups.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "pdf_device/print_device.h"

namespace rizarode {

class CupsDevice : public PrintDevice {
 public:
  // The user's default destination (lpoptions, PRINTER or LPDEST, else the
  // scheduler's default), or nullptr when there is none or no scheduler
  // answers within timeoutMs.
  static std::unique_ptr<CupsDevice> Default(int timeoutMs = 3000);
  // A destination by name, or nullptr.
  static std::unique_ptr<CupsDevice> Named(const std::string& name, int timeoutMs = 3000);
  ~CupsDevice() override;

  std::string Name() const override;
  int Resolution() const override { return resolution_; }
  std::optional<MediaChoice> Media(int16_t paperSize) const override;
  int16_t DefaultPaperSize() const override { return defaultPaperSize_; }
  // The document is collected in a temporary file and sent as one job when
  // it is complete. A document that cannot be sent is kept as a PDF file in
  // rescueDirectory, so that nothing printed is lost, and TakeDeliveries
  // says so.
  std::unique_ptr<DocumentSink> StartDocument() override;

  void ExpectAnswersAgain() override { silent_ = false; }

  void SetRescueDirectory(std::string directory) { rescueDirectory_ = std::move(directory); }
  // Sends the bytes of a complete PDF document, as one job, or as one job
  // per run of pages from one feed; returns the (last) job id. It has gone
  // out only when the scheduler confirmed every part; else nothing of it
  // stays queued, as far as the scheduler can be reached to cancel it, and
  // PrinterError is thrown.
  int SendJob(std::FILE* document, const JobSettings& settings);
  const std::string& RescueDirectory() const { return rescueDirectory_; }

 private:
  CupsDevice(cups_dest_t* dest, int timeoutMs);
  static std::unique_ptr<CupsDevice> Find(const char* name, int timeoutMs);
  void ReadCapabilities(http_t* http, cups_dinfo_t* info);
  int16_t ChooseDefaultPaperSize(http_t* http, cups_dinfo_t* info) const;
  int SendPages(std::FILE* document, const JobSettings& settings, bool manualFeed,
                const std::string& pageRanges, bool held);
  [[noreturn]] void Fail(const std::string& what) const;
  [[noreturn]] void FailRequest(http_t* http, int job, bool noAnswer = false);
  void CancelJobs(const std::vector<int>& jobs) const;
  void ReleaseJobs(const std::vector<int>& jobs) const;

  cups_dest_t* dest_;
  int timeoutMs_;
  int resolution_ = 0;
  bool manualFeed_ = false;
  int16_t defaultPaperSize_ = kPaperA4;
  std::vector<cups_size_t> media_;
  std::string rescueDirectory_;
  // The scheduler did not answer a request: not waited for again until
  // ExpectAnswersAgain.
  bool silent_ = false;
};

}  // namespace rizarode
