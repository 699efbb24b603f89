// Renders long tagged print files to PDF with rizarode-render and the same
// text, tags removed, with the print service's own text-to-PDF filter, and
// compares time, PDF size and peak memory: the medians of five runs, the
// two programs taking turns so that a busy machine slows both alike, and
// the median of the five runs' ratios. Where
// valgrind is installed it also counts the renderer's instructions, the
// measure that a busy machine does not change, for 1000 pages and for the
// smallest job; where strace is, the futex calls for 1000 pages.
//
//   render_bench [PAGES...]      (default 1 250 1000 4000 pages, in a new temp dir)

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLinesPerPage = 64;
constexpr int kColumns = 80;
constexpr int kRuns = 5;

// The renderer built with the bench, or another one named by
// RIZARODE_RENDER, to compare two builds with the same measures.
std::string Renderer() {
  const char* other = std::getenv("RIZARODE_RENDER");
  return other != nullptr && *other != '\0' ? other : RIZARODE_RENDER;
}

struct Run {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system time, of the children too
  long peakKb = 0;
  long long outputBytes = 0;
  bool ok = false;
};

const char* kWords[] = {"Johannes", "Maria", "born", "baptised", "married", "died",
                        "Amsterdam", "Leiden", "1781", "1823", "son", "of", "and"};

// One line of exactly kColumns visible characters; on every fourth line
// some names are bold.
std::string TextLine(int page, int line, bool tagged) {
  char head[32];
  std::snprintf(head, sizeof head, "%04d.%02d ", page, line);
  std::string text = head;
  std::size_t visible = text.size();
  for (int w = page * 7 + line;; ++w) {
    std::string word = kWords[w % 13];
    if (visible + word.size() + 1 > static_cast<std::size_t>(kColumns)) break;
    bool bold = tagged && line % 4 == 0 && w % 5 == 0;
    text += bold ? "#BOLD#" + word + "#bold# " : word + " ";
    visible += word.size() + 1;
  }
  return text + std::string(kColumns - visible, '.');
}

void WriteFiles(int pages, const std::string& tagged, const std::string& plain) {
  std::ofstream t(tagged, std::ios::binary), p(plain, std::ios::binary);
  for (int page = 1; page <= pages; ++page) {
    for (int line = 1; line <= kLinesPerPage; ++line) {
      std::string tags;
      if (line == 1) tags = page % 2 ? "#FONT-1000#" : "#FONT-0996#";
      std::string text = TextLine(page, line, true);
      std::string bare = TextLine(page, line, false);
      std::string end;
      if (line == kLinesPerPage) end = page == pages ? "#form##JOBend#" : "#form#";
      t << tags << text << end << "\r\n";
      p << bare << "\n";
    }
  }
}

long long FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// Runs a command with standard output into a file; measures wall time, the
// processor time of the command and of the processes it waited for, and the
// peak resident memory of the largest of them.
Run Measure(const std::vector<std::string>& args, const std::string& stdoutFile,
            const std::string& outputFile) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Run run;
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return run;
  int status = 0;
  rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  run.peakKb = usage.ru_maxrss;
  run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                   usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.outputBytes = FileSize(outputFile);
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Each program's runs, the medians of their times and the medians of the
// ratios of each pair of turns.
struct Runs {
  std::vector<Run> ours, filter;
  bool Ok() const {
    for (const Run& r : ours) if (!r.ok) return false;
    for (const Run& r : filter) if (!r.ok) return false;
    return true;
  }
  template <typename Of>
  double MedianOf(const std::vector<Run>& runs, Of of) const {
    std::vector<double> values;
    for (const Run& r : runs) values.push_back(of(r));
    return Median(values);
  }
  template <typename Of>
  double MedianRatio(Of of) const {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.size() && i < filter.size(); ++i) {
      ratios.push_back(of(filter[i]) / of(ours[i]));
    }
    return Median(ratios);
  }
  long PeakKb() const {
    long peak = 0;
    for (const Run& r : ours) peak = std::max(peak, r.peakKb);
    return peak;
  }
};

// The instructions that rendering the print file takes under callgrind, of
// every thread; 0 without valgrind.
long long Instructions(const std::string& tagged, const std::string& dir) {
  std::string counts = dir + "/callgrind.out";
  Run run = Measure({"valgrind", "--tool=callgrind", "--callgrind-out-file=" + counts, Renderer(),
                     tagged, dir + "/counted.pdf"},
                    dir + "/said", counts);
  std::ifstream in(counts);
  std::string line;
  while (run.ok && std::getline(in, line)) {
    if (line.rfind("totals: ", 0) == 0) return std::atoll(line.c_str() + 8);
  }
  return 0;
}

// The futex calls of every thread while rendering the print file, as
// strace counts them: how often the threads handed work to each other; -1
// without strace.
long long Futexes(const std::string& tagged, const std::string& dir) {
  std::string counts = dir + "/strace.out";
  Run run = Measure({"strace", "-f", "-c", "-e", "trace=futex", "-o", counts, Renderer(), tagged,
                     dir + "/traced.pdf"},
                    dir + "/said", counts);
  std::ifstream in(counts);
  std::string line;
  while (run.ok && std::getline(in, line)) {
    std::vector<std::string> fields;
    for (std::size_t at = 0, end; at < line.size(); at = end) {
      at = line.find_first_not_of(' ', at);
      if (at == std::string::npos) break;
      end = std::min(line.find(' ', at), line.size());
      fields.push_back(line.substr(at, end - at));
    }
    if (fields.size() >= 5 && fields.back() == "futex") return std::atoll(fields[3].c_str());
  }
  return run.ok ? 0 : -1;
}

struct Comparison {
  int pages = 0;
  std::string tagged;
  Runs runs;
};

Comparison Compare(int pages, const std::string& dir) {
  std::string base = dir + "/" + std::to_string(pages);
  std::string tagged = base + ".TMP", plain = base + ".txt";
  WriteFiles(pages, tagged, plain);
  std::string ours = base + "-ours.pdf", theirs = base + "-filter.pdf";
  Comparison c;
  c.pages = pages;
  c.tagged = tagged;
  for (int i = 0; i < kRuns && c.runs.Ok(); ++i) {
    c.runs.ours.push_back(Measure({Renderer(), tagged, ours}, dir + "/said", ours));
    c.runs.filter.push_back(Measure(
        {"cupsfilter", "-i", "text/plain", "-m", "application/pdf", plain}, theirs, theirs));
  }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1, 250, 1000, 4000};
  char pattern[] = "/tmp/rizarode-bench-XXXXXX";
  std::string dir = ::mkdtemp(pattern);

  std::printf("%d lines of %d columns a page, medians of %d alternating runs, in %s\n", kLinesPerPage, kColumns,
              kRuns, dir.c_str());
  std::printf("%6s | %8s %8s %9s %7s | %8s %8s %10s | %7s %7s %7s\n", "pages", "ours s", "CPU s",
              "PDF bytes", "peak MB", "filter s", "CPU s", "PDF bytes", "speed", "by CPU", "smaller");
  bool ok = true;
  std::string counted;  // the print file of 1000 pages, else the first
  int countedPages = 0;
  std::string first;  // the smallest, for the cost of a short job
  int firstPages = 0;
  for (int pages : sizes) {
    Comparison c = Compare(pages, dir);
    if (counted.empty() || pages == 1000) {
      counted = c.tagged;
      countedPages = pages;
    }
    if (first.empty() || pages < firstPages) {
      first = c.tagged;
      firstPages = pages;
    }
    const Runs& r = c.runs;
    if (!r.Ok()) {
      std::printf("%6d | a run failed\n", pages);
      ok = false;
      continue;
    }
    auto wall = [](const Run& run) { return run.seconds; };
    auto cpu = [](const Run& run) { return run.cpuSeconds; };
    double oursBytes = static_cast<double>(r.ours.back().outputBytes);
    std::printf("%6d | %8.3f %8.3f %9lld %7.1f | %8.3f %8.3f %10lld | %6.2fx %6.2fx %6.1fx\n",
                pages, r.MedianOf(r.ours, wall), r.MedianOf(r.ours, cpu), r.ours.back().outputBytes,
                r.PeakKb() / 1024.0, r.MedianOf(r.filter, wall), r.MedianOf(r.filter, cpu),
                r.filter.back().outputBytes, r.MedianRatio(wall), r.MedianRatio(cpu),
                static_cast<double>(r.filter.back().outputBytes) / oursBytes);
  }
  if (long long count = Instructions(counted, dir)) {
    std::printf("%6d | %lld M instructions (callgrind)\n", countedPages, count / 1000000);
  }
  if (!first.empty() && first != counted) {
    if (long long count = Instructions(first, dir)) {
      std::printf("%6d | %.1f M instructions (callgrind)\n", firstPages, count / 1e6);
    }
  }
  if (long long futexes = Futexes(counted, dir); futexes >= 0) {
    std::printf("%6d | %lld futex calls (strace)\n", countedPages, futexes);
  }
  std::printf("targets: >= 12x the filter by processor time, at most 250 M instructions for 1000 pages,\n"
              "         PDF >= 10x smaller, peak < 16 MB and flat\n");
  std::filesystem::remove_all(dir);
  return ok ? 0 : 1;
}
