// Renders a long tagged print file to PDF with rizarode-render and the same
// text, tags removed, with the print service's own text-to-PDF filter, and
// compares time, PDF size and peak memory. Best of three runs each.
//
//   render_bench [PAGES] [WORKDIR]      (default 1000 pages, a new temp dir)

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
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLinesPerPage = 64;
constexpr int kColumns = 80;
constexpr int kRuns = 3;

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

Run Best(const std::vector<std::string>& args, const std::string& stdoutFile,
         const std::string& outputFile) {
  Run best;
  for (int i = 0; i < kRuns; ++i) {
    Run r = Measure(args, stdoutFile, outputFile);
    if (!r.ok) return r;
    if (!best.ok || r.seconds < best.seconds) {
      double cpu = best.ok ? std::min(best.cpuSeconds, r.cpuSeconds) : r.cpuSeconds;
      best = r;
      best.cpuSeconds = cpu;
    } else {
      best.cpuSeconds = std::min(best.cpuSeconds, r.cpuSeconds);
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
  std::string dir;
  if (argc > 2) {
    dir = argv[2];
  } else {
    char pattern[] = "/tmp/rizarode-bench-XXXXXX";
    dir = ::mkdtemp(pattern);
  }
  std::string tagged = dir + "/tagged.TMP", plain = dir + "/plain.txt";
  std::string small = dir + "/small.TMP", smallPlain = dir + "/small.txt";
  WriteFiles(pages, tagged, plain);
  WriteFiles(std::max(1, pages / 4), small, smallPlain);

  std::string ours = dir + "/ours.pdf", theirs = dir + "/filter.pdf";
  Run renderer = Best({RIZARODE_RENDER, tagged, ours}, dir + "/said", ours);
  Run quarter = Best({RIZARODE_RENDER, small, dir + "/small.pdf"}, dir + "/said", dir + "/small.pdf");
  Run filter = Best({"cupsfilter", "-i", "text/plain", "-m", "application/pdf", plain}, theirs, theirs);

  std::printf("%d pages, %d lines, %lld bytes tagged, %lld bytes plain (in %s)\n", pages,
              pages * kLinesPerPage, FileSize(tagged), FileSize(plain), dir.c_str());
  auto show = [](const char* name, const Run& r) {
    if (!r.ok) {
      std::printf("%-22s failed\n", name);
      return;
    }
    std::printf("%-22s %7.3f s (%6.3f s CPU) %10lld bytes PDF %6.1f MB peak\n", name, r.seconds,
                r.cpuSeconds, r.outputBytes, r.peakKb / 1024.0);
  };
  show("rizarode-render", renderer);
  show("  (a quarter of pages)", quarter);
  show("cupsfilter texttopdf", filter);
  if (renderer.ok && filter.ok) {
    std::printf("throughput: %.2f x the filter's by the clock, %.2f x by processor time "
                "(target >= 1.5)\n",
                filter.seconds / renderer.seconds, filter.cpuSeconds / renderer.cpuSeconds);
    std::printf("PDF size:   %.1f x smaller than the filter's (target >= 10)\n",
                static_cast<double>(filter.outputBytes) / renderer.outputBytes);
    std::printf("peak memory: %.1f MB (target < 64), %.1f MB at a quarter of the pages\n",
                renderer.peakKb / 1024.0, quarter.peakKb / 1024.0);
  }
  return renderer.ok ? 0 : 1;
}
