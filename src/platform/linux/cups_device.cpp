#include "platform/linux/cups_device.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>

#include <unistd.h>

#include "base/text_encoding.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/pdf_file_device.h"
#include "printer/printer.h"

namespace rizarode {
namespace {

// Sizes in a media list may come from a PPD's rounded points, which miss
// the sheet by up to a millimetre; no two standard sheets are that close.
constexpr int kMediaToleranceHundredthsMm = 100;
constexpr double kTransferTimeoutSeconds = 60;

struct HttpClose {
  void operator()(http_t* http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpClose>;

struct DestInfoFree {
  void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using DestInfo = std::unique_ptr<cups_dinfo_t, DestInfoFree>;

// The scheduler, reached within the time given; the library's own default
// connection could wait much longer for a server that does not answer.
Http ConnectScheduler(int timeoutMs) {
  http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              timeoutMs, nullptr);
  if (http) httpSetTimeout(http, timeoutMs / 1000.0, nullptr, nullptr);
  return Http(http);
}

int HundredthsMm(int32_t microns) { return (microns + 5) / 10; }

// The list may qualify a name, as in "iso_a4_210x297mm_borderless".
bool ListedUnderItsName(const PaperSizeInfo& paper, const cups_size_t& size) {
  std::string_view listed = size.media;
  std::string_view name = paper.pwgName;
  return listed.substr(0, name.size()) == name &&
         (listed.size() == name.size() || listed[name.size()] == '_');
}

bool SameSheet(const PaperSizeInfo& paper, const cups_size_t& size) {
  if (ListedUnderItsName(paper, size)) return true;
  int a = HundredthsMm(std::min(paper.widthMicrons, paper.heightMicrons));
  int b = HundredthsMm(std::max(paper.widthMicrons, paper.heightMicrons));
  int c = std::min(size.width, size.length);
  int d = std::max(size.width, size.length);
  return std::abs(a - c) <= kMediaToleranceHundredthsMm &&
         std::abs(b - d) <= kMediaToleranceHundredthsMm;
}

// 0 when the destination does not say.
int ResolutionOf(http_t* http, cups_dest_t* dest, cups_dinfo_t* info) {
  ipp_attribute_t* attr = cupsFindDestDefault(http, dest, info, "printer-resolution");
  if (!attr || ippGetValueTag(attr) != IPP_TAG_RESOLUTION) return 0;
  int vertical = 0;
  ipp_res_t units = IPP_RES_PER_INCH;
  int horizontal = ippGetResolution(attr, 0, &vertical, &units);
  if (units == IPP_RES_PER_CM) horizontal = static_cast<int>(horizontal * 2.54 + 0.5);
  return std::max(horizontal, 0);
}

// Collects a document in an unnamed temporary file.
class CupsJobSink : public DocumentSink {
 public:
  CupsJobSink(CupsDevice& device, std::vector<Delivery>& deliveries)
      : device_(device), deliveries_(deliveries), file_(std::tmpfile()) {
    if (!file_) {
      throw PrinterError(kPrinterErrorDevice,
                         std::string("cannot make a temporary file: ") + std::strerror(errno));
    }
  }
  ~CupsJobSink() override { std::fclose(file_); }

  bool Write(const unsigned char* data, std::size_t size) override {
    return std::fwrite(data, 1, size, file_) == size;
  }

  // A job the print service refuses is kept as a PDF file, and the device
  // says where; only when that fails too has the document not gone out.
  void Deliver(const JobSettings& settings) override {
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
      throw PrinterError(kPrinterErrorDevice,
                         std::string("cannot collect the document: ") + std::strerror(errno));
    }
    Delivery delivery;
    delivery.printer = device_.Name();
    try {
      device_.SendJob(file_, settings);
    } catch (const PrinterError& e) {
      std::string why;
      std::string kept = Rescue(why);
      if (kept.empty()) {
        throw PrinterError(e.code(), std::string(e.what()) + "; nor could it be saved: " + why);
      }
      delivery.kind = Delivery::Kind::kRefusedAndSaved;
      delivery.file = kept;
      delivery.why = e.what();
    }
    deliveries_.push_back(std::move(delivery));
  }

 private:
  std::string Rescue(std::string& why) {
    const std::string& dir = device_.RescueDirectory();
    std::string partial;
    int fd = CreatePartialPdfFile(dir, partial);
    if (fd < 0) {
      why = dir + ": " + std::strerror(errno);
      return {};
    }
    std::rewind(file_);
    char buffer[1 << 16];
    std::size_t n;
    int error = 0;
    while (error == 0 && (n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) {
      if (!WriteAll(fd, buffer, n)) error = errno;
    }
    if (error == 0 && std::ferror(file_)) error = EIO;
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    std::string path;
    if (error == 0 && !PublishPdfFile(partial, dir, "RIZARODE-unsent-" + FileTimestamp(), path)) {
      error = errno;
    }
    if (error != 0) {
      ::unlink(partial.c_str());
      why = dir + ": " + std::strerror(error);
      return {};
    }
    return path;
  }

  CupsDevice& device_;
  std::vector<Delivery>& deliveries_;
  std::FILE* file_;
};

// Pages that come from the same feed, counted from 1.
struct PageRun {
  int first = 1, last = 1;
  bool manualFeed = false;
};

std::vector<PageRun> RunsOfEqualFeed(const JobSettings& settings) {
  std::vector<PageRun> runs;
  const std::vector<bool>& pages = settings.pageManualFeed;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    int page = static_cast<int>(i) + 1;
    if (!runs.empty() && runs.back().manualFeed == pages[i]) {
      runs.back().last = page;
    } else {
      runs.push_back({page, page, pages[i]});
    }
  }
  if (runs.empty()) runs.push_back({1, 1, settings.manualFeed});
  return runs;
}

}  // namespace

std::unique_ptr<CupsDevice> CupsDevice::Default(int timeoutMs) { return Find(nullptr, timeoutMs); }

std::unique_ptr<CupsDevice> CupsDevice::Named(const std::string& name, int timeoutMs) {
  return Find(name.c_str(), timeoutMs);
}

std::unique_ptr<CupsDevice> CupsDevice::Find(const char* name, int timeoutMs) {
  Http http = ConnectScheduler(timeoutMs);
  if (!http) return nullptr;
  cups_dest_t* dest = cupsGetNamedDest(http.get(), name, nullptr);
  if (!dest) return nullptr;
  std::unique_ptr<CupsDevice> device(new CupsDevice(dest, timeoutMs));
  DestInfo info(cupsCopyDestInfo(http.get(), dest));
  if (!info) return nullptr;
  device->ReadCapabilities(http.get(), info.get());
  return device;
}

CupsDevice::CupsDevice(cups_dest_t* dest, int timeoutMs)
    : dest_(dest), timeoutMs_(timeoutMs), rescueDirectory_(DefaultPdfDirectory()) {}

CupsDevice::~CupsDevice() { cupsFreeDests(1, dest_); }

void CupsDevice::ReadCapabilities(http_t* http, cups_dinfo_t* info) {
  resolution_ = ResolutionOf(http, dest_, info);
  manualFeed_ = cupsCheckDestSupported(http, dest_, info, CUPS_MEDIA_SOURCE, "manual") != 0;
  int count = cupsGetDestMediaCount(http, dest_, info, CUPS_MEDIA_FLAGS_DEFAULT);
  for (int i = 0; i < count; ++i) {
    cups_size_t size;
    if (cupsGetDestMediaByIndex(http, dest_, info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
      media_.push_back(size);
    }
  }
  defaultPaperSize_ = ChooseDefaultPaperSize(http, info);
}

// The destination's default sheet; else A4; else the first standard sheet it
// has.
int16_t CupsDevice::ChooseDefaultPaperSize(http_t* http, cups_dinfo_t* info) const {
  cups_size_t preferred;
  if (cupsGetDestMediaDefault(http, dest_, info, CUPS_MEDIA_FLAGS_DEFAULT, &preferred)) {
    for (const PaperSizeInfo& paper : AllPaperSizes()) {
      if (SameSheet(paper, preferred) && Media(paper.number)) return paper.number;
    }
  }
  if (Media(kPaperA4)) return kPaperA4;
  for (const PaperSizeInfo& paper : AllPaperSizes()) {
    if (Media(paper.number)) return paper.number;
  }
  return kPaperA4;
}

std::string CupsDevice::Name() const {
  std::string name = dest_->name;
  if (dest_->instance) name += std::string("/") + dest_->instance;
  return Utf8ToCp1252(name);
}

std::optional<MediaChoice> CupsDevice::Media(int16_t paperSize) const {
  const PaperSizeInfo* paper = FindPaperSize(paperSize);
  if (!paper) return std::nullopt;
  // A sheet listed under the paper's own name wins over one of equal size.
  auto it = std::find_if(media_.begin(), media_.end(),
                         [&](const cups_size_t& s) { return ListedUnderItsName(*paper, s); });
  if (it == media_.end()) {
    it = std::find_if(media_.begin(), media_.end(),
                      [&](const cups_size_t& s) { return SameSheet(*paper, s); });
  }
  if (it == media_.end()) return std::nullopt;
  MediaChoice media;
  media.paper = paper;
  // The job names the sheet by its standard name, which every print
  // service maps to its own.
  media.name = paper->pwgName;
  media.leftMicrons = it->left * 10;
  media.topMicrons = it->top * 10;
  media.rightMicrons = it->right * 10;
  media.bottomMicrons = it->bottom * 10;
  return media;
}

std::unique_ptr<DocumentSink> CupsDevice::StartDocument() {
  return std::make_unique<CupsJobSink>(*this, deliveries_);
}

// A document whose pages come from different feeds goes out as one job per
// run of pages from the same feed, each job the whole document limited to
// its pages: a job has a single media source. The parts are held until the
// last has been accepted, so that a part the scheduler refuses takes the
// ones before it back with it: they are cancelled before anything of them
// printed, and the document is saved whole, once.
int CupsDevice::SendJob(std::FILE* document, const JobSettings& settings) {
  std::vector<PageRun> runs = RunsOfEqualFeed(settings);
  if (!manualFeed_ || runs.size() == 1) {
    return SendPages(document, settings, settings.manualFeed && manualFeed_, "", false);
  }
  std::vector<int> parts;
  try {
    for (const PageRun& run : runs) {
      parts.push_back(SendPages(document, settings, run.manualFeed,
                                std::to_string(run.first) + "-" + std::to_string(run.last), true));
    }
  } catch (const PrinterError&) {
    CancelJobs(parts);
    throw;
  }
  ReleaseJobs(parts);
  return parts.back();
}

namespace {

// The scheduler never answered (stopped or frozen: the connection timed
// out); then the library's last error is still a success, or an error
// whose text is that of no error at all.
bool NoAnswer(http_t* http) {
  const char* last = cupsLastErrorString();
  if (cupsLastError() > IPP_STATUS_OK_CONFLICTING && last != nullptr && *last != '\0' &&
      std::strcmp(last, "Success") != 0 && std::strcmp(last, std::strerror(0)) != 0) {
    return false;
  }
  int error = httpError(http);
  return error == 0 || error == ETIMEDOUT || error == EAGAIN || error == EWOULDBLOCK;
}

const std::string& NoAnswerText() {
  static const std::string text = "the scheduler did not answer within " +
                                  std::to_string(static_cast<int>(kTransferTimeoutSeconds)) + " s";
  return text;
}

std::string WhyRequestFailed(http_t* http) {
  if (NoAnswer(http)) return NoAnswerText();
  const char* last = cupsLastErrorString();
  if (cupsLastError() > IPP_STATUS_OK_CONFLICTING && last != nullptr && *last != '\0') return last;
  return std::strerror(httpError(http));
}

std::string JobUri(int job) { return "ipp://localhost/jobs/" + std::to_string(job); }

}  // namespace

void CupsDevice::Fail(const std::string& what) const {
  throw PrinterError(kPrinterErrorDevice, "cannot print on " + std::string(dest_->name) + ": " + what);
}

// A request of the job failed: the job is cancelled, so that nothing of it
// prints later, and a scheduler that did not answer is not waited for again.
void CupsDevice::FailRequest(http_t* http, int job, bool noAnswer) {
  std::string why = noAnswer ? NoAnswerText() : WhyRequestFailed(http);
  if (why == NoAnswerText()) silent_ = true;
  if (job > 0) CancelJobs({job});
  Fail(why);
}

// On a connection of their own: the one that failed may be stuck.
void CupsDevice::CancelJobs(const std::vector<int>& jobs) const {
  if (jobs.empty()) return;
  Http http = ConnectScheduler(timeoutMs_);
  if (!http) return;
  for (int job : jobs) cupsCancelDestJob(http.get(), dest_, job);
}

void CupsDevice::ReleaseJobs(const std::vector<int>& jobs) const {
  Http http = ConnectScheduler(timeoutMs_);
  for (int job : jobs) {
    ipp_t* request = ippNewRequest(IPP_OP_RELEASE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, JobUri(job).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    // A part that cannot be released stays held in the queue, where the
    // user can release it: it is not lost.
    ippDelete(cupsDoRequest(http.get(), request, "/jobs/"));
  }
}

int CupsDevice::SendPages(std::FILE* document, const JobSettings& settings, bool manualFeed,
                          const std::string& pageRanges, bool held) {
  if (silent_) Fail(NoAnswerText() + " before; not waited for again");
  // The scheduler that the destination came from, also when it listens on
  // a local socket only (CUPS_SERVER): the destination's own address may
  // name another one, or none.
  Http http = ConnectScheduler(timeoutMs_);
  if (!http) Fail("the print service does not answer");
  httpSetTimeout(http.get(), kTransferTimeoutSeconds, nullptr, nullptr);
  DestInfo info(cupsCopyDestInfo(http.get(), dest_));
  if (!info) FailRequest(http.get(), 0);

  cups_option_t* options = nullptr;
  int count = 0;
  if (!settings.media.empty()) count = cupsAddOption(CUPS_MEDIA, settings.media.c_str(), count, &options);
  if (manualFeed) count = cupsAddOption(CUPS_MEDIA_SOURCE, "manual", count, &options);
  if (!pageRanges.empty()) count = cupsAddOption("page-ranges", pageRanges.c_str(), count, &options);
  if (held) count = cupsAddOption("job-hold-until", "indefinite", count, &options);
  std::string title = Cp1252ToUtf8(settings.title);
  int job = 0;
  ipp_status_t created = cupsCreateDestJob(http.get(), dest_, info.get(), &job, title.c_str(),
                                           count, options);
  cupsFreeOptions(count, options);
  if (created > IPP_STATUS_OK_CONFLICTING || job <= 0) FailRequest(http.get(), job);

  bool sent = cupsStartDestDocument(http.get(), dest_, info.get(), job, title.c_str(),
                                    CUPS_FORMAT_PDF, 0, nullptr, 1) == HTTP_STATUS_CONTINUE;
  std::rewind(document);
  char buffer[1 << 16];
  std::size_t n;
  while (sent && (n = std::fread(buffer, 1, sizeof buffer, document)) > 0) {
    sent = cupsWriteRequestData(http.get(), buffer, n) == HTTP_STATUS_CONTINUE;
  }
  if (sent && std::ferror(document)) sent = false;
  if (!sent) FailRequest(http.get(), job);
  // The document has gone out only when the scheduler says so: after a
  // time-out the library's own finishing reports the last success.
  ipp_t* response = cupsGetResponse(http.get(), ("/printers/" + std::string(dest_->name)).c_str());
  if (!response) FailRequest(http.get(), job, true);
  ipp_status_t status = ippGetStatusCode(response);
  ippDelete(response);
  if (status > IPP_STATUS_OK_CONFLICTING) FailRequest(http.get(), job);
  return job;
}

}  // namespace rizarode
