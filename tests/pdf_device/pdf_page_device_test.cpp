#include "support/pdf_printer.h"

#include <fontconfig/fontconfig.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "platform/linux/pdf_file_device.h"
#include "base/text_encoding.h"
#include "printing/render_print_file.h"
#include "program/module_state.h"
#include "support/pdf_probe.h"
#include "support/second_process.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

using testing::CommandOutput;
using testing::PdfPages;
using testing::PdfText;
using ::testing::HasSubstr;

constexpr double kTwipsPerPixel = 1440.0 / 600;

// The built-in printer, writing into a temporary directory.
class SaveAsPdfTest : public ::testing::Test {
 protected:
  SaveAsPdfTest() {
    auto made = std::make_unique<PdfFileDevice>(dir / "PDF");
    device = made.get();
    printer = std::make_unique<testing::PdfPrinter>(std::move(made));
  }

  // Ends the document and returns the one file it became.
  std::string Finish() {
    printer->EndDoc();
    EXPECT_EQ(device->Files().size(), 1u);
    return device->Files().empty() ? std::string() : device->Files().back();
  }

  void Print(const std::string& text) {
    std::FILE* file = ::fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    StreamPrintFileLines lines(file);
    ModuleState state;
    state.fontFaceName = "Courier New";
    InterpretPrintFile(lines, *printer, state);
    std::fclose(file);
  }

  void SetUp() override {
    if (!testing::HavePdfTools()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) missing";
  }

  testing::TempDir dir;
  PdfFileDevice* device = nullptr;
  std::unique_ptr<testing::PdfPrinter> printer;
};

bool IsWholePixels(float twips) {
  double pixels = twips / kTwipsPerPixel;
  return std::fabs(pixels - std::round(pixels)) < 1e-3;
}

TEST_F(SaveAsPdfTest, OffersTheStandardPaperSizesAndRefusesOthers) {
  EXPECT_EQ(printer->DeviceName(), "Save as PDF");
  for (int16_t n = 1; n <= 41; ++n) EXPECT_NO_THROW(printer->SetPaperSize(n)) << n;
  EXPECT_NO_THROW(printer->SetPaperSize(263));
  printer->SetPaperSize(9);
  for (int16_t n : {0, -1, 256, 264, 999, 1000}) {
    try {
      printer->SetPaperSize(n);
      ADD_FAILURE() << "paper size " << n << " was taken";
    } catch (const PrinterError& e) {
      EXPECT_EQ(e.code(), kPrinterErrorBadPaperSize);
    }
  }
  // The sheets' sizes, turned for the orientation.
  printer->SetPaperSize(263);  // the 12-inch fanfold, landscape
  printer->SetOrientation(kOrientationLandscape);
  EXPECT_EQ(printer->Width(), 17280);
  EXPECT_EQ(printer->Height(), 12240);
  printer->SetOrientation(kOrientationPortrait);
  printer->SetPaperSize(1);
  EXPECT_EQ(printer->Height(), 15840);
}

TEST_F(SaveAsPdfTest, AMetricAliasCountsAsTheFaceAndAMissingFaceReadsBackItsFallback) {
  printer->SetFontName("Courier New");
  EXPECT_EQ(printer->FontName(), "Courier New");
  printer->SetFontName("liberation mono");
  EXPECT_EQ(printer->FontName(), "Liberation Mono");  // an installed face, in its own spelling
  printer->SetFontName("No Such Face Anywhere");
  std::string fallback = CommandOutput("fc-match -f '%{family[0]}' 'No Such Face Anywhere'");
  EXPECT_EQ(printer->FontName(), fallback);
  EXPECT_NE(printer->FontName(), "No Such Face Anywhere");
}

// (Sizes and advances in whole pixels are the printer core's: its tests
// hold them.)
TEST_F(SaveAsPdfTest, BoldAndItalicKeepTheFaceAndItsPitch) {
  printer->SetFontName("Courier New");
  printer->SetFontSize(10);
  float regular = printer->TextWidth("0");
  // 12 characters per inch: a "0" of 50 pixels, exactly 120 twips.
  EXPECT_FLOAT_EQ(regular, 120);
  EXPECT_TRUE(IsWholePixels(printer->TextHeight("0")));
  EXPECT_GT(printer->TextHeight("0"), regular);
  printer->SetFontBold(true);
  printer->SetFontItalic(true);
  EXPECT_EQ(printer->FontName(), "Courier New");
  EXPECT_EQ(printer->TextWidth("0"), regular);
}

// A run that goes on where the last one ended is written without a move of
// its own; the program's own face has no italic, and fontconfig's slant
// needs a slanted matrix even there.
TEST_F(SaveAsPdfTest, AnItalicRunRightAfterAnUprightOneLeans) {
  if (std::system("command -v qpdf >/dev/null 2>&1") != 0) GTEST_SKIP() << "qpdf missing";
  const std::string font = RIZARODE_BINARY_DIR "/VKCOUR.TTF";
  ASSERT_TRUE(FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(font.c_str())));
  printer->SetFontName("RUZeruzaz Ori");
  printer->PrintText("|||");
  printer->SetFontItalic(true);
  printer->PrintText("|||");
  std::string content = CommandOutput("qpdf --qdf --object-streams=disable " +
                                      testing::Quoted(Finish()) + " - 2>/dev/null");
  EXPECT_THAT(content, ::testing::ContainsRegex("\\(\\|\\|\\|\\) Tj\n"
                                                "1 0 0\\.2 -1 [0-9]+ [0-9]+ Tm\n"));
}

// Dark pixels of the first page, rendered in grey at 72 dpi.
int DarkPixels(const std::string& pdf) {
  std::string root = pdf + "-page";
  CommandOutput("pdftoppm -r 72 -gray -singlefile " + testing::Quoted(pdf) + " " +
                testing::Quoted(root));
  std::ifstream in(root + ".pgm", std::ios::binary);
  std::string pgm((std::istreambuf_iterator<char>(in)), {});
  int width = 0, height = 0, depth = 0, header = 0;
  if (std::sscanf(pgm.c_str(), "P5 %d %d %d%n", &width, &height, &depth, &header) != 3) return -1;
  int dark = 0;
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < pgm.size(); ++i) {
    dark += static_cast<unsigned char>(pgm[i]) < 128;
  }
  return dark;
}

TEST_F(SaveAsPdfTest, UnderlinedTextHasALineUnderIt) {
  auto inkOf = [&](bool underline, const std::string& name) {
    auto made = std::make_unique<PdfFileDevice>(dir / name);
    PdfFileDevice& files = *made;
    testing::PdfPrinter one(std::move(made));
    one.SetFontName("Courier New");
    one.SetFontSize(20);
    one.SetFontUnderline(underline);
    one.PrintText("underlined");
    one.EndDoc();
    return DarkPixels(files.Files().at(0));
  };
  int plain = inkOf(false, "plain");
  int underlined = inkOf(true, "underlined");
  ASSERT_GT(plain, 0);
  // A line under ten characters of 12 points each, at least a pixel high.
  EXPECT_GE(underlined - plain, 100);
}

TEST_F(SaveAsPdfTest, APrintFileBecomesPagesOfTheChosenSizesWithItsText) {
  Print("#FONT-1000#Hello world\r\n"
        "abc#BOLD#def#bold# caf\xE9 \x80 #ITALIC#slanted#italic#\r\n"
        "end of one#form#\r\n"
        "#FORM-L009#landscape two#form#\r\n"
        "#FORM-P001#letter three#form##JOBend#\r\n");
  ASSERT_EQ(device->Files().size(), 1u);  // the closing form feed sent it
  std::string pdf = device->Files()[0];
  std::vector<testing::PdfPage> pages = PdfPages(pdf);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_NEAR(pages[0].width, 595.28, 0.01);
  EXPECT_NEAR(pages[0].height, 841.89, 0.01);
  EXPECT_NEAR(pages[1].width, 841.89, 0.01);
  EXPECT_NEAR(pages[1].height, 595.28, 0.01);
  EXPECT_NEAR(pages[2].width, 612, 0.01);
  EXPECT_NEAR(pages[2].height, 792, 0.01);
  std::string text = PdfText(pdf);
  EXPECT_THAT(text, HasSubstr("Hello world\nabcdef caf\xC3\xA9 \xE2\x82\xAC slanted\nend of one\n"));
  EXPECT_THAT(text, HasSubstr("\flandscape two"));
  EXPECT_THAT(text, HasSubstr("\fletter three"));
  // Nothing declares transparency, which would make PostScript print
  // queues turn each page into a picture.
  std::ifstream bytes(pdf, std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(bytes)), {});
  EXPECT_EQ(raw.find("/Transparency"), std::string::npos);
  std::string fonts = testing::PdfFonts(pdf);
  EXPECT_THAT(fonts, HasSubstr("LiberationMono-Bold"));
  EXPECT_THAT(fonts, HasSubstr("LiberationMono-Italic"));
}

// A quarter inch (18 points) is left free on every side, as a common office
// printer does, so that the document prints later without losing an edge.
TEST_F(SaveAsPdfTest, TextStartsAtTheOfficePrintableAreaAndLinesAreOneFontHeightApart) {
  printer->SetFontName("Courier New");
  printer->SetFontSize(12);
  float lineTwips = printer->TextHeight("0");
  float columnTwips = printer->TextWidth("X");
  printer->PrintText("first");
  printer->LineEnd();
  printer->PrintText("X");
  printer->PrintText("second");
  std::vector<testing::PdfWord> words = testing::PdfWords(Finish());
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0].text, "first");
  EXPECT_NEAR(words[0].xMin, 18.0, 0.5);
  EXPECT_GE(words[0].yMin, 17.5);
  EXPECT_LT(words[0].yMin, 21.0);
  EXPECT_EQ(words[1].text, "Xsecond");
  EXPECT_NEAR(words[1].yMin - words[0].yMin, lineTwips / 20, 0.5);
  EXPECT_NEAR(words[1].xMax - words[1].xMin, 7 * columnTwips / 20, 0.5);
}

// Runs of text reach the document in the order they were printed, whatever
// their fonts, so that text read in document order is the printed text.
TEST_F(SaveAsPdfTest, TextKeepsItsOrderAcrossFontsLinesAndPages) {
  Print("one #BOLD#two#bold# three\r\n"
        "four#ITALIC# five#italic##form#\r\n"
        "#BOLD#six#bold# seven#form##JOBend#\r\n");
  std::string pdf = device->Files().at(0);
  std::string raw = CommandOutput("pdftotext -raw " + testing::Quoted(pdf) + " - 2>/dev/null");
  EXPECT_EQ(raw, "one two three\nfour five\n\fsix seven\n\f");
}

// A document keeps the state of the last few faces and sizes; a word in a
// sixth size after five others, the last of them the first again, still
// gets its own, and a page too full for the room its content starts with
// loses nothing.
TEST_F(SaveAsPdfTest, EveryWordHasItsSizeAndAFullPageAllItsLines) {
  Print("#FONT-0800#one #FONT-0900#two #FONT-1000#three #FONT-1100#four #FONT-0800#five "
        "#FONT-1200#six\r\n#form#\r\n");
  std::string lines = "#FONT-0300#";
  for (int line = 1; line <= 200; ++line) {
    char head[16];
    std::snprintf(head, sizeof head, "%03d ", line);
    lines += head + std::string(76, 'x') + "\r\n";
  }
  Print(lines + "#form##JOBend#\r\n");
  std::string pdf = device->Files().at(0);

  std::vector<testing::PdfWord> words = testing::PdfWords(pdf);
  ASSERT_GE(words.size(), 6u);
  const double points[] = {8, 9, 10, 11, 8, 12};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR((words[i].yMax - words[i].yMin) / points[i],
                (words[0].yMax - words[0].yMin) / points[0], 0.05)
        << words[i].text;
  }
  std::string text = CommandOutput("pdftotext -raw " + testing::Quoted(pdf) + " - 2>/dev/null");
  std::string second = text.substr(text.find('\f') + 1);
  EXPECT_EQ(second.rfind("001 ", 0), 0u);
  EXPECT_THAT(second, HasSubstr("\n200 " + std::string(76, 'x') + "\n\f"));
  EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 200);
}

// (A document with nothing drawn, and one left open at the end, are the
// printer core's: its tests hold them.)
TEST_F(SaveAsPdfTest, EveryDocumentBecomesANewFile) {
  printer->PrintText("first");
  printer->EndDoc();
  printer->PrintText("second");
  printer->EndDoc();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "PDF")) {
    names.push_back(entry.path().string());
  }
  ASSERT_EQ(names.size(), 2u);
  EXPECT_THAT(PdfText(names[0]) + PdfText(names[1]), HasSubstr("first"));
  EXPECT_THAT(PdfText(names[0]) + PdfText(names[1]), HasSubstr("second"));
}

TEST(PdfFileNamesTest, ANewFileNeverTakesTheNameOfAnExistingOne) {
  testing::TempDir dir;
  std::string kept = dir.Write("PDF/stem.pdf", "keep me");
  std::string path;
  int fd = CreateUniquePdfFile(dir / "PDF", "stem", path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(path, dir / "PDF/stem-2.pdf");
  EXPECT_EQ(dir.Read("PDF/stem.pdf"), "keep me");
  fd = CreateUniquePdfFile(dir / "new/PDF", "stem", path);  // made when missing
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(path, dir / "new/PDF/stem.pdf");
}

TEST(PdfFileNamesTest, DocumentsGoToPdfInTheHomeDirectory) {
  testing::TempDir dir;
  testing::EnvGuard home("HOME", dir.path().c_str());
  EXPECT_EQ(DefaultPdfDirectory(), dir / "PDF");
}

TEST(PdfFileNamesTest, ANamedOutputIsReplacedOnlyByACompleteDocument) {
  testing::TempDir dir;
  std::string out = dir.Write("out.pdf", "old");
  {
    testing::PdfPrinter printer(PdfFileDevice::WritingTo(out));
    printer.PrintText("new");
    EXPECT_EQ(dir.Read("out.pdf"), "old");  // still drawing
    printer.EndDoc();
  }
  EXPECT_EQ(dir.Read("out.pdf").substr(0, 5), "%PDF-");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()), 1);
}

TEST(PdfFileNamesTest, AnUnwritableDestinationIsAPrinterError) {
  testing::TempDir dir;
  dir.Write("file", "x");
  testing::PdfPrinter printer(std::make_unique<PdfFileDevice>(dir / "file/PDF"));
  try {
    // The document starts when its first line has named it.
    printer.PrintText("text");
    printer.LineEnd();
    ADD_FAILURE() << "printing into a non-directory succeeded";
  } catch (const PrinterError& e) {
    EXPECT_EQ(e.code(), kPrinterErrorDevice);
  }
}

// Everything that a reader of the document depends on, checked by tools
// that no one here wrote: structure, text, fonts and sheets.
TEST_F(SaveAsPdfTest, ForeignToolsReadTheDocumentItsTextByteForByteAndItsFonts) {
  if (std::system("command -v qpdf >/dev/null 2>&1") != 0) GTEST_SKIP() << "qpdf missing";
  std::string ascii, upper;
  for (int b = 0x20; b < 0x7F; ++b) ascii += static_cast<char>(b);
  for (int b = 0x80; b < 0x100; ++b) upper += static_cast<char>(b);
  Print("#FONT-1000#|" + ascii + "|\r\n"
        "|" + upper.substr(0, 64) + "|\r\n"
        "#BOLD#|" + upper.substr(64) + "|#bold#\r\n"
        "#ITALIC#(nested \\ (brackets)#italic##form#\r\n"
        "#FORM-L009#landscape#form#\r\n"
        "#FORM-P001##FONT-1400#letter#form##JOBend#\r\n");
  std::string pdf = device->Files().at(0);

  std::string check = CommandOutput("qpdf --check " + testing::Quoted(pdf) + " 2>&1; echo exit=$?");
  EXPECT_THAT(check, HasSubstr("No syntax or stream encoding errors"));
  EXPECT_THAT(check, HasSubstr("exit=0"));

  std::string text = CommandOutput("pdftotext -raw " + testing::Quoted(pdf) + " - 2>/dev/null");
  std::string extracted = upper.substr(0, 64);
  extracted[0xA0 - 0x80] = ' ';  // pdftotext gives every no-break space as a space
  EXPECT_EQ(text, Cp1252ToUtf8("|" + ascii + "|\n|" + extracted + "|\n|" + upper.substr(64) +
                               "|\n(nested \\ (brackets)\n\flandscape\n\fletter\n\f"));

  // name, type, encoding, then "emb sub uni" and the object: every face
  // embedded once, as a subset, with its text map.
  std::vector<std::string> faces;
  std::istringstream fonts(testing::PdfFonts(pdf));
  std::string line;
  while (std::getline(fonts, line)) {
    if (line.rfind("name", 0) == 0 || line.rfind("---", 0) == 0) continue;
    faces.push_back(line.substr(0, line.find(' ')));
    EXPECT_THAT(line, ::testing::MatchesRegex("[A-Z]{6}\\+\\S+ +TrueType +\\S+ +yes yes yes .*"));
  }
  EXPECT_THAT(faces, ::testing::UnorderedElementsAre(::testing::EndsWith("+LiberationMono"),
                                                      ::testing::EndsWith("+LiberationMono-Bold"),
                                                      ::testing::EndsWith("+LiberationMono-Italic")));

  // The sheets' sizes are those of APrintFileBecomesPagesOfTheChosenSizesWithItsText.
  EXPECT_EQ(PdfPages(pdf).size(), 3u);
}

// Faces with PostScript outlines go in whole as OpenType and find their
// glyphs by name.
TEST_F(SaveAsPdfTest, AFaceWithPostScriptOutlinesIsEmbeddedAndDrawn) {
  printer->SetFontName("Nimbus Mono PS");
  if (printer->FontName() != "Nimbus Mono PS") GTEST_SKIP() << "fonts-urw-base35 missing";
  printer->SetFontSize(20);
  printer->PrintText("Caf\xE9 \x80 soft\xADhyphen");
  std::string pdf = Finish();
  EXPECT_THAT(testing::PdfFonts(pdf),
              ::testing::ContainsRegex("[A-Z]{6}\\+NimbusMonoPS-Regular +Type 1C \\(OT\\) .*yes yes yes"));
  EXPECT_EQ(CommandOutput("pdftotext -raw " + testing::Quoted(pdf) + " - 2>/dev/null"),
            Cp1252ToUtf8("Caf\xE9 \x80 soft\xADhyphen\n\f"));
  EXPECT_GT(DarkPixels(pdf), 200);
}

bool HaveFontTools() {
  return std::system("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") == 0;
}

// A face file of its own: Liberation Mono under another family name, in
// another file format when a flavor ("woff") is given.
bool MakeRenamedFace(testing::TempDir& dir, const std::string& made, const std::string& family,
                     const std::string& flavor = {}) {
  std::string source = CommandOutput("fc-match -f '%{file}' 'Liberation Mono'");
  std::string postscript;
  for (char c : family) {
    if (c != ' ') postscript += c;
  }
  std::string script =
      "import sys\nfrom fontTools.ttLib import TTFont\nf = TTFont(sys.argv[1])\n"
      "for r in f['name'].names:\n"
      "    if r.nameID in (1, 4, 16): r.string = '" + family + "'\n"
      "    if r.nameID == 6: r.string = '" + postscript + "'\n" +
      (flavor.empty() ? "" : "f.flavor = '" + flavor + "'\n") + "f.save(sys.argv[2])\n";
  std::string scriptPath = dir.Write("rename.py", script);
  return std::system(("/usr/bin/python3 " + scriptPath + " '" + source + "' " + made).c_str()) == 0;
}

// A face that exists only in a file a document cannot carry (here WOFF)
// is not taken: the name reads back as the fallback's, as for a face that
// is not installed, and the program's font check decides.
TEST(RuntimeFontTest, AFaceThatCannotBeEmbeddedIsNotTaken) {
  if (!HaveFontTools()) GTEST_SKIP() << "python3-fonttools missing";
  testing::TempDir dir;
  std::string made = dir / "probe.woff";
  ASSERT_TRUE(MakeRenamedFace(dir, made, "Rizarode Woff Face", "woff"));
  ASSERT_TRUE(FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(made.c_str())));

  auto made_device = std::make_unique<PdfFileDevice>(dir / "PDF");
  PdfFileDevice& files = *made_device;
  testing::PdfPrinter printer(std::move(made_device));
  printer.SetFontName("Rizarode Woff Face");
  EXPECT_NE(printer.FontName(), "Rizarode Woff Face");
  printer.PrintText("still printed");
  printer.EndDoc();
  EXPECT_THAT(PdfText(files.Files().at(0)), HasSubstr("still printed"));
}

// A greyscale picture: width, height and one byte per pixel.
struct Grey {
  int width = 0, height = 0;
  std::string pixels;
};

Grey ReadPgm(const std::string& path) {
  // The references are kept gzipped; the drawings are plain.
  std::string bytes = CommandOutput("gzip -dcf " + testing::Quoted(path));
  Grey grey;
  int depth = 0, header = 0;
  if (std::sscanf(bytes.c_str(), "P5 %d %d %d%n", &grey.width, &grey.height, &depth, &header) == 3) {
    grey.pixels = bytes.substr(static_cast<std::size_t>(header) + 1);
  }
  return grey;
}

// Ink in one picture with no ink at the same place, or a pixel beside it,
// in the other.
int StrayInk(const Grey& a, const Grey& b) {
  auto dark = [](const Grey& g, int x, int y) {
    return x >= 0 && y >= 0 && x < g.width && y < g.height &&
           static_cast<unsigned char>(g.pixels[static_cast<std::size_t>(y) * g.width + x]) < 128;
  };
  int stray = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (!dark(a, x, y)) continue;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy) {
        for (int dx = -1; dx <= 1 && !near; ++dx) near = dark(b, x + dx, y + dy);
      }
      stray += !near;
    }
  }
  return stray;
}

// The page as the earlier renderer drew it (data beside this test, 50 dpi):
// bold, underline, the upper half of the code page, and a landscape page.
// The five bytes that Windows-1252 leaves undefined were drawn as the
// missing-glyph box and are now blank, a few pixels.
TEST_F(SaveAsPdfTest, PagesLookAsTheReferenceDrawingWithinAPixel) {
  // The reference was drawn from the very edge of the sheet, without the
  // border that pages now keep.
  auto borderless = std::make_unique<PdfFileDevice>(dir / "PDF", 0);
  device = borderless.get();
  printer = std::make_unique<testing::PdfPrinter>(std::move(borderless));
  std::string data = std::string(RIZARODE_SOURCE_DIR) + "/tests/pdf_device/data/";
  std::ifstream in(data + "look.TMP", std::ios::binary);
  Print(std::string((std::istreambuf_iterator<char>(in)), {}));
  std::string pdf = device->Files().at(0);
  std::string root = pdf + "-look";
  CommandOutput("pdftoppm -r 50 -gray " + testing::Quoted(pdf) + " " + testing::Quoted(root));
  for (int page : {1, 2}) {
    Grey reference = ReadPgm(data + "look-page" + std::to_string(page) + ".pgm.gz");
    Grey drawn = ReadPgm(root + "-" + std::to_string(page) + ".pgm");
    ASSERT_GT(reference.width, 0);
    ASSERT_EQ(drawn.width, reference.width) << "page " << page;
    ASSERT_EQ(drawn.height, reference.height) << "page " << page;
    EXPECT_LE(StrayInk(reference, drawn), 8) << "page " << page;
    EXPECT_LE(StrayInk(drawn, reference), 8) << "page " << page;
  }
}

// A face installed while the program runs, the way the private font is.
TEST(RuntimeFontTest, AFaceAddedToFontconfigIsFoundAtTheNextChangeOfFace) {
  if (!HaveFontTools()) GTEST_SKIP() << "python3-fonttools missing";
  testing::TempDir dir;
  std::string made = dir / "probe.ttf";
  ASSERT_TRUE(MakeRenamedFace(dir, made, "Rizarode Probe Face"));

  testing::PdfPrinter printer(std::make_unique<PdfFileDevice>(dir / "PDF"));
  printer.SetFontName("Rizarode Probe Face");
  EXPECT_NE(printer.FontName(), "Rizarode Probe Face");
  ASSERT_TRUE(FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(made.c_str())));
  printer.SetFontName("Rizarode Probe Face");
  EXPECT_EQ(printer.FontName(), "Rizarode Probe Face");
}

// A killed run leaves the file of the document it was writing; the next
// start removes it, but not the one another running program still writes.
TEST(PartialPdfFilesTest, OnlyThoseNobodyWritesAreCleared) {
  testing::TempDir dir;
  std::string abandoned;
  std::string live;
  ::close(CreatePartialPdfFile(dir.path(), abandoned));
  ::close(CreatePartialPdfFile(dir.path(), live));
  testing::SecondProcess writer("file_opener");
  ASSERT_EQ(writer.Ask("raw-write " + live), "ok");
  ClearAbandonedPartialPdfFiles(dir.path());
  EXPECT_FALSE(std::filesystem::exists(abandoned));
  EXPECT_TRUE(std::filesystem::exists(live));
}

}  // namespace
}  // namespace rizarode
