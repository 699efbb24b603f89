#pragma once
// The default printer: font, paper, text and page operations.
//
// Lengths are twips (1/1440 inch), font sizes points. Every operation may
// fail; a failure is thrown as PrinterError carrying a numeric code, so a
// caller that ignores a failure says so with a try block around exactly the
// operation it means.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rizarode {

class PrinterError : public std::runtime_error {
 public:
  PrinterError(int code, const std::string& what)
      : std::runtime_error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// Error codes that the printers of this program report.
inline constexpr int kPrinterErrorBadPaperSize = 380;   // value not offered
inline constexpr int kPrinterErrorBadValue = 381;       // orientation, bin
inline constexpr int kPrinterErrorNoPrinter = 482;      // printer cannot be reached
inline constexpr int kPrinterErrorDevice = 483;         // drawing or spooling failed

inline constexpr int16_t kOrientationPortrait = 1;
inline constexpr int16_t kOrientationLandscape = 2;
inline constexpr int16_t kPaperBinManual = 4;
inline constexpr int16_t kPaperBinAuto = 7;

// Where a document went once it left the program: printed, made into a
// PDF file ("Save as PDF"), or refused by the printer and kept as a file.
struct Delivery {
  enum class Kind { kPrinted, kSaved, kRefusedAndSaved };
  Kind kind = Kind::kPrinted;
  // The printer that printed or refused it (8-bit text).
  std::string printer;
  // The file it became, as the file system names it; empty when printed.
  std::string file;
  // Why the printer refused it, in the system's words.
  std::string why;
};

class Printer {
 public:
  virtual ~Printer() = default;

  // The printer's name as 8-bit (Windows-1252) text, like every text of the
  // program: the driver file and the status window take it as it comes.
  virtual std::string DeviceName() = 0;

  virtual std::string FontName() = 0;
  virtual void SetFontName(const std::string& face) = 0;
  virtual float FontSize() = 0;
  virtual void SetFontSize(float points) = 0;
  virtual void SetFontBold(bool on) = 0;
  virtual void SetFontItalic(bool on) = 0;
  virtual void SetFontUnderline(bool on) = 0;

  virtual void SetPaperSize(int16_t paperSize) = 0;
  // The paper-size number in effect; 0 when the printer cannot tell.
  virtual int16_t PaperSize() { return 0; }
  virtual int16_t Orientation() = 0;
  virtual void SetOrientation(int16_t orientation) = 0;
  virtual int16_t PaperBin() = 0;
  virtual void SetPaperBin(int16_t bin) = 0;

  // Page size in twips for the current paper size, orientation and bin.
  virtual float Width() = 0;
  virtual float Height() = 0;

  // Extent of an 8-bit (Windows-1252) text in the current font, in twips.
  virtual float TextWidth(std::string_view text) = 0;
  virtual float TextHeight(std::string_view text) = 0;

  // Draws 8-bit text at the current position and moves it right.
  virtual void PrintText(std::string_view text) = 0;
  // Moves the position to the left edge of the next line.
  virtual void LineEnd() = 0;
  virtual void NewPage() = 0;
  // Ends the page and the document; the document goes out as one job.
  // Throws when it did not go out: nothing of it reached the printer.
  virtual void EndDoc() = 0;
  // Drops the open document after a failure: nothing of it goes out, and
  // the next output starts a new one. A printer whose own failed
  // operations already drop the document needs nothing more.
  virtual void AbortDoc() {}
  // Where each document ended since the last call went, in order.
  virtual std::vector<Delivery> TakeDeliveries() { return {}; }
  // A print service that stopped answering is not waited for again (its
  // documents go where refused ones go) until this is called: the polling
  // cycle calls it as each of its passes over the jobs begins, but not at
  // the run's end, which must not wait on a service that fell silent.
  virtual void ExpectAnswersAgain() {}
};

}  // namespace rizarode
