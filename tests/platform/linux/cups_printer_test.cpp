#include <cups/cups.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "platform/linux/cups_device.h"
#include "platform/linux/default_printer.h"
#include "support/pdf_printer.h"
#include "support/pdf_probe.h"
#include "support/temp_dir.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// The queue that scripts/services.sh sets up: cups-pdf, default destination.
constexpr char kQueue[] = "PDF";

std::string HomeOfUser() {
  const passwd* pw = ::getpwuid(::getuid());
  return pw ? pw->pw_dir : "";
}

// Where cups-pdf puts the jobs of this user: its configured "Out" directory,
// and the directory for users it does not know.
std::vector<std::string> CupsPdfOutputDirectories() {
  std::string out = "${HOME}/PDF";
  std::ifstream conf("/etc/cups/cups-pdf.conf");
  std::string line;
  while (std::getline(conf, line)) {
    if (line.rfind("Out ", 0) == 0) out = line.substr(4);
  }
  const passwd* pw = ::getpwuid(::getuid());
  out = std::regex_replace(out, std::regex("\\$\\{HOME\\}"), HomeOfUser());
  out = std::regex_replace(out, std::regex("\\$\\{USER\\}"), pw ? pw->pw_name : "");
  return {out, "/var/spool/cups-pdf/ANONYMOUS"};
}

// Waits for cups-pdf to write the job whose title starts with this; empty
// when it has not within a minute. cups-pdf writes the file in place, so a
// file counts once it reads as a PDF with pages.
std::string WaitForCupsPdfOutput(const std::string& title) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const std::string& dir : CupsPdfOutputDirectories()) {
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(dir, ec)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(title, 0) == 0 && name.size() > 4 &&
            name.substr(name.size() - 4) == ".pdf" &&
            !testing::PdfPages(entry.path().string()).empty()) {
          return entry.path().string();
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  return {};
}

std::string UniqueTitle() {
  return "rizarodetest" + std::to_string(::getpid()) +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000);
}

class CupsPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device = CupsDevice::Named(kQueue);
    if (!device) {
      GTEST_SKIP() << "no CUPS scheduler with the cups-pdf queue \"" << kQueue
                   << "\" answers (scripts/services.sh starts one)";
    }
  }
  std::unique_ptr<CupsDevice> device;
};

TEST_F(CupsPrinterTest, TheDefaultDestinationFollowsThePrinterVariable) {
  testing::EnvGuard lpdest("LPDEST", nullptr);
  testing::EnvGuard printer("PRINTER", kQueue);
  std::unique_ptr<CupsDevice> chosen = CupsDevice::Default();
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->Name(), kQueue);
  EXPECT_EQ(MakeDefaultPageDevice()->Name(), kQueue);
}

TEST_F(CupsPrinterTest, PaperSizesComeFromTheMediaListAndMetricsFromTheResolution) {
  int dpi = device->Resolution();
  testing::PdfPrinter printer(std::move(device));
  for (int16_t n : {1, 5, 8, 9, 11}) EXPECT_NO_THROW(printer.SetPaperSize(n)) << n;
  // cups-pdf lists no sheet of 8.5 by 12 inches.
  try {
    printer.SetPaperSize(263);
    ADD_FAILURE() << "the 12-inch fanfold was taken";
  } catch (const PrinterError& e) {
    EXPECT_EQ(e.code(), kPrinterErrorBadPaperSize);
  }
  printer.SetPaperSize(9);
  EXPECT_EQ(printer.Width(), 11906);
  printer.SetFontName("Courier New");
  printer.SetFontSize(10);
  float pixels = printer.FontSize() * dpi / 72;
  EXPECT_NEAR(pixels, std::round(10.0f * dpi / 72), 1e-3);
  float digit = printer.TextWidth("0") * dpi / 1440;
  EXPECT_NEAR(digit, std::round(digit), 1e-3);
}

TEST_F(CupsPrinterTest, ADocumentArrivesAsOneJobWithItsPagesAndText) {
  if (!testing::HavePdfTools()) GTEST_SKIP() << "poppler-utils missing";
  std::string title = UniqueTitle();
  {
    testing::PdfPrinter printer(std::move(device));
    printer.SetFontName("Courier New");
    printer.SetFontSize(12);
    printer.PrintText(title + " from the");
    printer.SetFontBold(true);
    printer.PrintText(" spooler");
    printer.LineEnd();
    printer.NewPage();
    printer.PrintText("second page caf\xE9");
    printer.EndDoc();
  }
  // The job is named for the host and the first words of its first line.
  std::string pdf = WaitForCupsPdfOutput("VELDRAK_-_" + title + "_from_the_spooler");
  ASSERT_FALSE(pdf.empty()) << "no output of cups-pdf for " << title;
  std::string text = testing::PdfText(pdf);
  EXPECT_THAT(text, HasSubstr(title + " from the spooler"));
  EXPECT_THAT(text, HasSubstr("second page caf\xC3\xA9"));
  EXPECT_EQ(testing::PdfPages(pdf).size(), 2u);
  fs::remove(pdf);
}

// A queue that exists but takes no jobs: new queues reject until enabled.
class RejectingQueue {
 public:
  RejectingQueue() {
    ok_ = std::system(("lpadmin -p " + name_ +
                       " -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd >/dev/null 2>&1 && "
                       "cupsreject " + name_ + " >/dev/null 2>&1").c_str()) == 0;
  }
  ~RejectingQueue() {
    if (ok_) (void)std::system(("lpadmin -x " + name_ + " >/dev/null 2>&1").c_str());
  }
  bool ok() const { return ok_; }
  const std::string& name() const { return name_; }

 private:
  std::string name_ = "RizarodeRejecting" + std::to_string(::getpid());
  bool ok_ = false;
};

TEST_F(CupsPrinterTest, ADocumentThatCannotBeSentIsKeptAsAFile) {
  RejectingQueue queue;
  if (!queue.ok()) GTEST_SKIP() << "cannot add a print queue (lpadmin needs administrator rights)";
  std::unique_ptr<CupsDevice> rejecting = CupsDevice::Named(queue.name());
  ASSERT_NE(rejecting, nullptr);
  testing::TempDir dir;
  rejecting->SetRescueDirectory(dir / "PDF");
  testing::PdfPrinter printer(std::move(rejecting));
  printer.PrintText("not to be lost");
  // Kept is not lost: the document has gone out, and where it went is told.
  EXPECT_NO_THROW(printer.EndDoc());
  std::vector<Delivery> deliveries = printer.TakeDeliveries();
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].kind, Delivery::Kind::kRefusedAndSaved);
  EXPECT_EQ(deliveries[0].printer, queue.name());
  EXPECT_THAT(deliveries[0].file, HasSubstr(dir / "PDF/RIZARODE-unsent-"));
  EXPECT_TRUE(printer.TakeDeliveries().empty());
  std::vector<fs::path> kept;
  for (const auto& entry : fs::directory_iterator(dir / "PDF")) kept.push_back(entry.path());
  ASSERT_EQ(kept.size(), 1u);
  if (testing::HavePdfTools()) {
    EXPECT_THAT(testing::PdfText(kept[0].string()), HasSubstr("not to be lost"));
  }
}

// Without a scheduler, or with one that does not answer, the program still
// has a printer, and does not wait long for it.
TEST(DefaultPrinterTest, WithoutAnAnsweringSchedulerDocumentsBecomePdfFiles) {
  for (const char* server : {"/nonexistent/rizarode-cups.sock", "192.0.2.1"}) {
    cupsSetServer(server);
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<PageDevice> pages = MakeDefaultPageDevice();
    auto waited = std::chrono::steady_clock::now() - start;
    cupsSetServer(nullptr);
    EXPECT_EQ(pages->Name(), "Save as PDF") << server;
    EXPECT_LT(waited, std::chrono::seconds(10)) << server;
  }
}

}  // namespace
}  // namespace rizarode
