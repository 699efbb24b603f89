#include "fileio/file_table.h"

namespace rizarode {

class OpenFileEntry {
 public:
  std::unique_ptr<FileHandle> handle;
};

FileTable::FileTable(FileSystem& files) : files_(files) {}
FileTable::~FileTable() = default;

int16_t FileTable::OpenFileByMode(const std::string&, const std::string&,
                                  const std::string&, const std::string&,
                                  int16_t) {
  return 0;
}
bool FileTable::LineInput(int16_t, std::string&) { return false; }
bool FileTable::Eof(int16_t) { return true; }
bool FileTable::PrintLine(int16_t, std::string_view) { return false; }
bool FileTable::Put(int16_t, int64_t, std::string_view) { return false; }
int64_t FileTable::Lof(int16_t) { return -1; }
int64_t FileTable::Seek(int16_t) { return -1; }
bool FileTable::SetSeek(int16_t, int64_t) { return false; }
int FileTable::BufferSize(int16_t) const { return 0; }
int FileTable::LineWidth(int16_t) const { return 0; }
bool FileTable::Close(int16_t) { return false; }
bool FileTable::IsOpen(int16_t) const { return false; }
OpenFileEntry* FileTable::Entry(int16_t) const { return nullptr; }
int16_t FileTable::NextFreeNumber() const { return 0; }

}  // namespace rizarode
