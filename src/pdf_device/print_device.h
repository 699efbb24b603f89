#pragma once
// What tells one PDF printer from another: its name, its resolution, the
// sheets it takes, and where a finished document goes. The drawing itself
// is the same for all of them (PdfPageDevice).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pdf/pdf_file.h"
#include "printer/paper_sizes.h"
#include "printer/printer.h"

namespace rizarode {

// A sheet that the device takes, with its unprintable margins in portrait.
struct MediaChoice {
  const PaperSizeInfo* paper = nullptr;
  // The device's own name for the sheet (PWG self-describing name).
  std::string name;
  int32_t leftMicrons = 0, topMicrons = 0, rightMicrons = 0, bottomMicrons = 0;
};

// How the document's sheets are to be fed: the sheet of the first page,
// and for every page whether it comes from the manual feed.
struct JobSettings {
  std::string title;
  std::string media;
  bool manualFeed = false;
  std::vector<bool> pageManualFeed;
};

// The bytes of one document on their way out.
class DocumentSink : public pdf::ByteSink {
 public:
  // The document is complete: print it or keep it. Throws PrinterError.
  virtual void Deliver(const JobSettings& settings) = 0;
};

class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  virtual std::string Name() const = 0;
  // Dots per inch at which fonts are realised and metrics reported; 0 when
  // the device cannot tell.
  virtual int Resolution() const = 0;
  // The sheet for a paper-size number, or nothing when the device lacks it.
  virtual std::optional<MediaChoice> Media(int16_t paperSize) const = 0;
  virtual int16_t DefaultPaperSize() const = 0;
  // Throws PrinterError when no document can be started.
  virtual std::unique_ptr<DocumentSink> StartDocument() = 0;
  // Where each document delivered since the last call went, in order.
  std::vector<Delivery> TakeDeliveries() { return std::exchange(deliveries_, {}); }
  // See Printer::ExpectAnswersAgain.
  virtual void ExpectAnswersAgain() {}

 protected:
  std::vector<Delivery> deliveries_;
};

}  // namespace rizarode
