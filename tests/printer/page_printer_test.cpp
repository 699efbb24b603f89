#include "printer/page_printer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace rizarode {
namespace {

using ::testing::ElementsAre;

// A device of 600 dpi whose faces are all 600 units wide to the 1000 of
// the em; "Plain" has no bold of its own. Records what reaches it.
class FakePageDevice : public PageDevice {
 public:
  std::string Name() const override { return "Fake"; }
  PageSetup InitialSetup() const override { return {9, kOrientationPortrait, kPaperBinAuto, A4()}; }
  std::optional<DeviceSheet> Sheet(int16_t paperSize) override {
    if (paperSize == 9) return A4();
    if (paperSize == 11) return DeviceSheet{148000, 210000, 2540, 5080, 0, 0};
    return std::nullopt;
  }
  int Resolution() const override { return 0; }  // cannot tell: 600
  std::shared_ptr<const DeviceFace> Face(const FaceRequest& request) override {
    ++lookups;
    auto face = std::make_shared<DeviceFace>();
    face->name = request.face == "Missing" ? "Stand-in" : request.face;
    face->metrics.unitsPerEm = 1000;
    face->metrics.advance.fill(600);
    face->metrics.ascent = 800;
    face->metrics.descent = 200;
    face->metrics.underlinePosition = -100;
    face->metrics.underlineThickness = 50;
    face->syntheticBold = request.bold && request.face == "Plain";
    // "Sized" is realised at each em, as a device without outlines does.
    face->onlyEmPixels = request.face == "Sized" ? request.emPixels : 0;
    return face;
  }
  void BeginDocument(const std::string& title, int dpi) override {
    log.push_back("doc " + title + (dpi == 600 ? "" : " at " + std::to_string(dpi)));
  }
  void BeginPage(const PageSetup& s, const DeviceSheet& lying) override {
    log.push_back("page " + std::to_string(s.paperSize) + (s.orientation == 2 ? " L" : " P") +
                  (s.bin == kPaperBinManual ? " manual" : "") + " " +
                  std::to_string(lying.widthMicrons) + "x" + std::to_string(lying.heightMicrons));
  }
  void DrawRun(const LayoutFont& font, int64_t x, int64_t baseline,
               std::string_view bytes) override {
    if (failDrawing) throw PrinterError(kPrinterErrorDevice, "drawing failed");
    log.push_back("text " + std::string(bytes) + " at " + std::to_string(x) + "," +
                  std::to_string(baseline) + " advance " + std::to_string(font.advance['a']));
  }
  void FillRectangle(int64_t x, int64_t y, int64_t width, int64_t height) override {
    log.push_back("rect " + std::to_string(x) + "," + std::to_string(y) + " " +
                  std::to_string(width) + "x" + std::to_string(height));
  }
  void EndPage() override { log.push_back("end page"); }
  void EndDocument() override { log.push_back("end doc"); }
  void AbortDocument() override { log.push_back("abort"); }
  std::vector<Delivery> TakeDeliveries() override { return {}; }
  void ExpectAnswersAgain() override {}

  static DeviceSheet A4() { return {210000, 297000, 5080, 2540, 5080, 2540}; }

  std::vector<std::string> log;
  int lookups = 0;
  bool failDrawing = false;
};

class PagePrinterTest : public ::testing::Test {
 protected:
  PagePrinterTest() {
    printer.SetFontName("Mono");
    printer.SetFontSize(12);  // an em of 100 pixels: 60 a character, lines of 100
  }
  FakePageDevice device;
  PagePrinter printer{device, "VELDRAK"};
};

TEST_F(PagePrinterTest, AdvancesAreWholePixelsAndAMadeBoldAdvancesOneMore) {
  printer.SetFontSize(10);  // 83.33 pixels: an em of 83, "a" 49.8 -> 50 pixels
  EXPECT_FLOAT_EQ(printer.FontSize(), 83 * 72.0f / 600);
  EXPECT_FLOAT_EQ(printer.TextWidth("aaa"), 150 * 2.4f);
  EXPECT_FLOAT_EQ(printer.TextHeight("a"), 83 * 2.4f);  // 66 + 17 rounded apart
  printer.SetFontBold(true);
  EXPECT_FLOAT_EQ(printer.TextWidth("aaa"), 150 * 2.4f) << "a bold of its own";
  printer.SetFontName("Plain");
  EXPECT_FLOAT_EQ(printer.TextWidth("aaa"), 153 * 2.4f);
  EXPECT_EQ(printer.FontName(), "Plain");
  printer.SetFontName("Missing");
  EXPECT_EQ(printer.FontName(), "Stand-in");
  printer.SetFontSize(printer.FontSize());
  EXPECT_FLOAT_EQ(printer.FontSize(), 83 * 72.0f / 600) << "a size read back is kept";
  // Silly sizes from a tag neither fail nor vanish.
  printer.SetFontSize(0);
  EXPECT_GT(printer.FontSize(), 0);
  printer.SetFontSize(1e30f);
  EXPECT_TRUE(std::isfinite(printer.TextWidth("0")));
  // The search for a pitch's font size halves the range on this.
  float last = 0;
  for (int hundredths = 0; hundredths <= 3200; ++hundredths) {
    printer.SetFontSize(hundredths / 100.0f);
    float width = printer.TextWidth("0");
    ASSERT_GE(width, last) << hundredths;
    last = width;
  }
}

TEST_F(PagePrinterTest, TheFaceIsLookedUpWhenItChangesNotForEveryText) {
  int before = device.lookups;
  for (int i = 0; i < 100; ++i) {
    printer.SetFontBold(i % 2 == 0);
    printer.PrintText("x");
  }
  EXPECT_EQ(device.lookups - before, 1);  // the bold; the regular was found at another size
  printer.SetFontName("Mono");
  printer.PrintText("x");
  printer.SetFontSize(10);
  printer.PrintText("x");
  EXPECT_EQ(device.lookups - before, 1);  // the face is there, and drawn at every size
  printer.SetFontName("Missing");
  printer.SetFontName("Missing");
  EXPECT_EQ(device.lookups - before, 3);  // a stand-in: it may have been installed since
  printer.SetFontName("Mono");
  printer.PrintText("x");
  EXPECT_EQ(device.lookups - before, 3);  // the face found before
  printer.SetFontName("Sized");
  printer.SetFontSize(12);
  printer.PrintText("x");
  EXPECT_EQ(device.lookups - before, 5);  // realised at each size
}

TEST_F(PagePrinterTest, TextIsClippedAtTheRightEdgeAndUnderlinedAsFarAsItShows) {
  // A4 at 600 dpi is 4961 pixels across; the text starts at the margin, 120.
  printer.SetFontUnderline(true);
  printer.PrintText(std::string(100, 'a'));  // 6000 pixels: 81 characters start on the sheet
  printer.LineEnd();
  printer.EndDoc();
  EXPECT_THAT(device.log,
              ElementsAre("doc VELDRAK - " + std::string(53, 'a'), "page 9 P 210000x297000",
                          "text " + std::string(81, 'a') + " at 120,140 advance 60",
                          "rect 120,148 4841x5", "end page", "end doc"));
}

TEST_F(PagePrinterTest, ALineRunningPastTheBottomStartsANewPageAtTheSameColumn) {
  printer.SetPaperSize(11);  // A5: 4960 pixels high, 4840 printable, 48 lines
  for (int i = 0; i < 48; ++i) printer.LineEnd();
  printer.PrintText("a");
  printer.PrintText("b");
  printer.EndDoc();
  EXPECT_THAT(device.log, ElementsAre("doc VELDRAK", "page 11 P 148000x210000", "end page",
                                      "page 11 P 148000x210000",
                                      "text a at 60,200 advance 60", "text b at 120,200 advance 60",
                                      "end page", "end doc"));
}

TEST_F(PagePrinterTest, AFormChosenBeforeAPagesFirstTextIsThatPagesAndTurnsItsMargins) {
  printer.PrintText("one");
  printer.SetOrientation(kOrientationLandscape);  // too late for this page
  printer.LineEnd();
  printer.NewPage();
  printer.SetPaperBin(kPaperBinManual);  // in time for page two
  printer.PrintText("two");
  printer.NewPage();
  printer.NewPage();  // a page with nothing on it is still a page
  printer.LineEnd();  // but not one with only a line end
  printer.EndDoc();
  // Turned a quarter to the left: the top margin (60) becomes the left one,
  // the right one (120) the top, and the device is given the sheet turned.
  EXPECT_THAT(device.log,
              ElementsAre("doc VELDRAK - one", "page 9 P 210000x297000",
                          "text one at 120,140 advance 60", "end page",
                          "page 9 L manual 297000x210000", "text two at 60,200 advance 60",
                          "end page", "page 9 L manual 297000x210000", "end page", "end doc"));
  EXPECT_EQ(printer.Width(), 16838);
  EXPECT_EQ(printer.Height(), 11906);
  EXPECT_THROW(printer.SetOrientation(3), PrinterError);
  EXPECT_THROW(printer.SetPaperBin(0), PrinterError);
  EXPECT_THROW(printer.SetPaperSize(1), PrinterError);
  EXPECT_EQ(printer.Width(), 16838) << "a refused size leaves the sheet selected";
  EXPECT_EQ(printer.PaperBin(), kPaperBinManual);
  printer.SetPaperSize(11);
  printer.SetOrientation(kOrientationPortrait);
  EXPECT_EQ(printer.Width(), 8391);
  EXPECT_EQ(printer.Height(), 11906);
}

TEST_F(PagePrinterTest, NothingDrawnIsNoJobAndAFailedDrawingDropsTheDocument) {
  printer.LineEnd();
  printer.EndDoc();
  EXPECT_TRUE(device.log.empty());
  printer.PrintText("lost");
  device.failDrawing = true;
  EXPECT_THROW(printer.LineEnd(), PrinterError);
  EXPECT_FALSE(printer.HasOpenDocument());
  device.failDrawing = false;
  printer.PrintText("retry");
  printer.EndDoc();
  EXPECT_THAT(device.log, ElementsAre("doc VELDRAK - lost", "page 9 P 210000x297000", "abort",
                                      "doc VELDRAK", "page 9 P 210000x297000",
                                      "text retry at 120,140 advance 60", "end page", "end doc"));
}

TEST_F(PagePrinterTest, AnOpenDocumentIsSentWhenThePrinterGoes) {
  {
    PagePrinter last(device, "VELDRAK");
    last.PrintText("left open");
  }
  EXPECT_EQ(device.log.back(), "end doc");
}

TEST(DocumentTitleTest, TheHostAndTheFirstWordsThatFit) {
  const std::string host = "VELDRAK";
  EXPECT_EQ(DocumentTitle(host, "  Descendants of\tAldert   Brinkhorst  "),
            "VELDRAK - Descendants of Aldert Brinkhorst");
  EXPECT_EQ(DocumentTitle(host, " \t "), "VELDRAK");
  std::string words;
  for (int i = 0; i < 20; ++i) words += "word ";
  std::string title = DocumentTitle(host, words);
  EXPECT_EQ(title.size(), 59u);  // "VELDRAK - " and ten words, the eleventh would not fit
  EXPECT_EQ(title.substr(title.size() - 5), " word");
  EXPECT_EQ(DocumentTitle(host, std::string(100, 'x')).size(), kLongestDocumentTitle);
}

}  // namespace
}  // namespace rizarode
