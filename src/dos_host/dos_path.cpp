#include "dos_host/dos_path.h"

#include <filesystem>
#include <vector>

#include "base/text.h"

namespace rizarode {
namespace {

namespace fs = std::filesystem;

// The names along a DOS path after its drive: "C:\VK\.\A.EXE" gives VK, A.EXE.
std::vector<std::string> NamesAlong(const std::string& dosPath) {
  const bool hasDrive = dosPath.size() >= 2 && dosPath[1] == ':';
  std::vector<std::string> names;
  std::string name;
  for (char c : dosPath.substr(hasDrive ? 2 : 0) + "\\") {
    if (c != '\\' && c != '/') {
      name += c;
    } else {
      if (!name.empty() && name != ".") names.push_back(name);
      name.clear();
    }
  }
  return names;
}

bool IsRelative(const std::string& dosPath) {
  const bool hasDrive = dosPath.size() >= 2 && dosPath[1] == ':';
  const std::size_t at = hasDrive ? 2 : 0;
  return at >= dosPath.size() || (dosPath[at] != '\\' && dosPath[at] != '/');
}

// The entry of dir named name without regard to case. ".." is never an
// entry, so no path leads out of the host's directory.
std::optional<fs::path> EntryNoCase(const fs::path& dir, const std::string& name) {
  const std::string wanted = UpperCase(name);
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    if (UpperCase(it->path().filename().string()) == wanted) return it->path();
  }
  return std::nullopt;
}

bool Names(const fs::path& hostDirectory, const std::vector<std::string>& names,
           std::size_t from, DosPathKind kind) {
  fs::path at = hostDirectory;
  for (std::size_t i = from; i < names.size(); ++i) {
    std::optional<fs::path> entry = EntryNoCase(at, names[i]);
    if (!entry) return false;
    at = *entry;
  }
  std::error_code error;
  return kind == DosPathKind::kFile ? fs::is_regular_file(at, error) : fs::is_directory(at, error);
}

std::string OnDriveC(const std::vector<std::string>& names, std::size_t from) {
  std::string path = "C:\\";
  for (std::size_t i = from; i < names.size(); ++i) {
    path += names[i];
    if (i + 1 < names.size()) path += '\\';
  }
  return path;
}

}  // namespace

std::optional<std::string> FindDosPath(const std::string& hostDirectory, const std::string& dosPath,
                                       DosPathKind kind, const std::string& currentDirectory) {
  const std::vector<std::string> names = NamesAlong(dosPath);
  if (IsRelative(dosPath) && !currentDirectory.empty()) {
    std::vector<std::string> inCurrent = NamesAlong(currentDirectory);
    inCurrent.insert(inCurrent.end(), names.begin(), names.end());
    if (Names(hostDirectory, inCurrent, 0, kind)) return OnDriveC(inCurrent, 0);
  }
  for (std::size_t from = 0; from < names.size(); ++from) {
    if (Names(hostDirectory, names, from, kind)) return OnDriveC(names, from);
  }
  if (kind == DosPathKind::kDirectory) return OnDriveC(names, names.size());
  return std::nullopt;
}

}  // namespace rizarode
