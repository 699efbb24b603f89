// The driver file on the built-in "Save as PDF" printer: real font metrics
// at 600 dpi, the printer's own paper sizes.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <set>

#include "driver/driver_fixture.h"
#include "driver/font_phase.h"

#include "support/pdf_printer.h"
#include "platform/linux/pdf_file_device.h"

namespace rizarode {
namespace {

using testing::DriverFixture;
using testing::TempDir;


std::unique_ptr<Printer> SaveAsPdfInto(const std::string& directory) {
  return std::make_unique<testing::PdfPrinter>(std::make_unique<PdfFileDevice>(directory));
}

struct FontBlock {
  int pitch;
  std::string code;
  double width;
};

std::vector<FontBlock> FontBlocks(const std::vector<std::string>& lines) {
  std::vector<FontBlock> blocks;
  for (std::size_t i = 0; i + 4 < lines.size(); ++i) {
    if (lines[i].rfind("80 : VKCourier ", 0) != 0) continue;
    FontBlock block;
    block.pitch = std::atoi(lines[i].c_str() + 15);
    block.code = lines[i + 1].substr(5);
    EXPECT_EQ(lines[i + 4].rfind("84 : ", 0), 0u);
    block.width = std::strtod(lines[i + 4].c_str() + 5, nullptr);
    blocks.push_back(block);
  }
  return blocks;
}

bool DirectoryEmpty(const std::string& path) {
  return std::filesystem::is_empty(path);
}

// The private face when it is installed, "Courier New" otherwise.
TEST(BuiltInPrinterDriverTest, FormsAndEveryPitchNoWiderThanItsCharacter) {
  TempDir pdfs;
  std::unique_ptr<Printer> printer = SaveAsPdfInto(pdfs.path());
  DriverFixture f(printer.get());
  if (!PrinterTakesFace(*printer, f.program->state.fontFaceName)) {
    f.program->state.debugFlags = 16;
    f.program->state.fontFaceName = "Courier New";
  }
  auto counts = f.Generate();
  std::vector<std::string> lines = f.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "01 3.0b : Windows printer (Save as PDF)");
  EXPECT_GE(counts.forms, 4);
  EXPECT_EQ(lines[19 + 17 * 4 + 2], "61 : #FORM-P009#");  // A4 portrait first
  // At 600 dpi the thirteen pitches differ by at least one pixel each.
  EXPECT_EQ(counts.fonts, 13);
  std::vector<FontBlock> blocks = FontBlocks(lines);
  ASSERT_EQ(blocks.size(), static_cast<std::size_t>(counts.fonts));
  std::set<std::string> codes;
  for (const FontBlock& block : blocks) {
    EXPECT_GT(block.width, 0.0) << block.pitch << " cpi";
    EXPECT_LE(block.width, 1440.0 / block.pitch) << block.pitch << " cpi";
    codes.insert(block.code);
  }
  EXPECT_EQ(codes.size(), blocks.size());
  // Measuring prints nothing: no document was started.
  printer.reset();
  EXPECT_TRUE(DirectoryEmpty(pdfs.path()));
}

double MedianMilliseconds(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// Not a pass or fail: prints how long GenerateDriverFile takes to write a
// new driver file on a newly made built-in printer, and to reuse it.
TEST(BuiltInPrinterDriverTest, TimeToWriteAndToReuse) {
  using Clock = std::chrono::steady_clock;
  using Milliseconds = std::chrono::duration<double, std::milli>;
  constexpr int kRuns = 7;
  TempDir pdfs;
  std::vector<double> fresh, reused;
  for (int run = 0; run < kRuns; ++run) {
    std::unique_ptr<Printer> printer = SaveAsPdfInto(pdfs.path());
    DriverFixture f(printer.get());
    f.program->state.fontFaceName = "Courier New";
    auto start = Clock::now();
    auto written = f.Generate();
    auto between = Clock::now();
    auto kept = f.Generate();
    auto end = Clock::now();
    EXPECT_EQ(written.fonts, 13);
    EXPECT_EQ(kept.fonts, 13);
    fresh.push_back(Milliseconds(between - start).count());
    reused.push_back(Milliseconds(end - between).count());
  }
  std::cout << "driver file on the built-in printer: new " << MedianMilliseconds(fresh)
            << " ms, reused " << MedianMilliseconds(reused) << " ms (median of " << kRuns
            << ")\n";
}


}  // namespace
}  // namespace rizarode
