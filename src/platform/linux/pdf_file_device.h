#pragma once
// The built-in printer "Save as PDF": every document becomes one PDF file.
// Used when no print service answers or none has a default destination.

#include <string>
#include <vector>

#include "pdf_device/print_device.h"

namespace rizarode {

inline constexpr char kSaveAsPdfName[] = "Save as PDF";
inline constexpr int kSaveAsPdfResolution = 600;
// Unprintable border on every side: a quarter inch.
inline constexpr int32_t kSaveAsPdfMarginMicrons = 6350;

// The directory that documents go to by default: ~/PDF.
std::string DefaultPdfDirectory();

// Local date and time as YYYYMMDD-HHMMSS, for the names of PDF files.
std::string FileTimestamp();

// Creates a new file in directory whose name starts with stem and ends with
// ".pdf", never taking the name of a file that exists; creates the
// directory when it is missing. Returns the open descriptor (-1 on failure,
// with errno set) and the file's path.
int CreateUniquePdfFile(const std::string& directory, const std::string& stem,
                        std::string& path);

// Creates a hidden file in directory (made when missing) for a document
// that is still being written. Returns the open descriptor (-1 on failure,
// with errno set) and the file's path.
int CreatePartialPdfFile(const std::string& directory, std::string& path);
inline constexpr char kPartialPdfPrefix[] = ".RIZARODE-";
inline constexpr char kPartialPdfSuffix[] = ".part";

// Removes the files of documents that a killed run was writing into
// directory; those a running program writes stay.
void ClearAbandonedPartialPdfFiles(const std::string& directory);

// Gives a complete document written into partial its name in directory:
// stem.pdf, else stem-2.pdf and so on, never replacing a file. False (with
// errno set) on failure; path is the name it got.
bool PublishPdfFile(const std::string& partial, const std::string& directory,
                    const std::string& stem, std::string& path);

class PdfFileDevice : public PrintDevice {
 public:
  // Each document becomes a new file in directory. The border is left
  // unprinted on every side of the sheet.
  explicit PdfFileDevice(std::string directory = DefaultPdfDirectory(),
                         int32_t borderMicrons = kSaveAsPdfMarginMicrons);
  // The first document becomes exactly outputFile (replacing it); later
  // ones go beside it under new names.
  static std::unique_ptr<PdfFileDevice> WritingTo(const std::string& outputFile);

  std::string Name() const override { return kSaveAsPdfName; }
  int Resolution() const override { return kSaveAsPdfResolution; }
  std::optional<MediaChoice> Media(int16_t paperSize) const override;
  int16_t DefaultPaperSize() const override { return kPaperA4; }
  std::unique_ptr<DocumentSink> StartDocument() override;

  // The files of the documents delivered so far, in order.
  const std::vector<std::string>& Files() const { return files_; }

 private:
  std::string directory_;
  int32_t borderMicrons_;
  std::string stem_;
  std::string firstFile_;
  std::vector<std::string> files_;
};

}  // namespace rizarode
