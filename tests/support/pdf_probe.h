#pragma once
// Looks into PDF files with poppler's command-line tools, for tests that
// check what was really drawn.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace rizarode::testing {

// Standard output of a shell command (empty when it cannot run).
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

inline bool HavePdfTools() {
  return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1") == 0;
}

inline std::string Quoted(const std::string& path) {
  std::string q = "'";
  for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The text of a PDF, page after page, laid out as on the page.
inline std::string PdfText(const std::string& path) {
  return CommandOutput("pdftotext -layout " + Quoted(path) + " - 2>/dev/null");
}

struct PdfPage {
  double width = 0, height = 0;  // points
};

// The size of every page.
inline std::vector<PdfPage> PdfPages(const std::string& path) {
  std::vector<PdfPage> pages;
  std::string info = CommandOutput("pdfinfo -f 1 -l 100000 " + Quoted(path) + " 2>/dev/null");
  std::size_t at = 0;
  while ((at = info.find("\nPage ", at)) != std::string::npos) {
    ++at;
    std::size_t size = info.find("size:", at);
    std::size_t eol = info.find('\n', at);
    if (size == std::string::npos || size > eol) continue;
    PdfPage page;
    if (std::sscanf(info.c_str() + size, "size: %lf x %lf", &page.width, &page.height) == 2) {
      pages.push_back(page);
    }
  }
  return pages;
}

// The fonts a PDF embeds, one line each, as pdffonts lists them.
inline std::string PdfFonts(const std::string& path) {
  return CommandOutput("pdffonts " + Quoted(path) + " 2>/dev/null");
}

struct PdfWord {
  std::string text;
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // points from the top-left
};

// Every word with its box, in reading order.
inline std::vector<PdfWord> PdfWords(const std::string& path) {
  std::vector<PdfWord> words;
  std::string html = CommandOutput("pdftotext -bbox " + Quoted(path) + " - 2>/dev/null");
  std::size_t at = 0;
  while ((at = html.find("<word ", at)) != std::string::npos) {
    PdfWord w;
    std::size_t close = html.find('>', at);
    std::size_t end = html.find("</word>", close);
    if (close == std::string::npos || end == std::string::npos) break;
    std::sscanf(html.c_str() + at, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"",
                &w.xMin, &w.yMin, &w.xMax, &w.yMax);
    w.text = html.substr(close + 1, end - close - 1);
    words.push_back(w);
    at = end;
  }
  return words;
}

}  // namespace rizarode::testing
