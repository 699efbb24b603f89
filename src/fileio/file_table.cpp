#include "fileio/file_table.h"

#include <utility>

#include "fileio/open_file.h"
#include "fileio/open_mode.h"

namespace rizarode {

FileTable::FileTable(FileSystem& files) : files_(files) {}
FileTable::~FileTable() = default;

int16_t FileTable::OpenFileByMode(const std::string& path, const std::string& mode,
                                  const std::string& access, const std::string& lock,
                                  int16_t recordLength) {
  // Callers test for 0; no failure of any kind may escape as anything else.
  try {
    int16_t number = NextFreeNumber();
    if (number == 0) return 0;
    std::optional<OpenPlan> plan = PlanOpen(mode, access, lock, recordLength);
    if (!plan) return 0;
    if (plan->existenceTest) {
      // A read-only open must not create the file it was meant to find.
      OpenRequest input;
      input.read = true;
      std::unique_ptr<FileHandle> probe = files_.Open(path, input);
      if (!probe) return 0;
      probe->Close();
    }
    std::unique_ptr<FileHandle> handle = files_.Open(path, plan->request);
    if (!handle) return 0;
    auto entry = std::make_unique<OpenFileEntry>(std::move(handle), *plan);
    if (plan->positionAtEnd) {
      int64_t length = entry->Length();
      if (length < 0 || !entry->SetPosition(length + 1)) return 0;
    }
    entries_[static_cast<std::size_t>(number)] = std::move(entry);
    return number;
  } catch (...) {
    return 0;
  }
}

bool FileTable::LineInput(int16_t fileNumber, std::string& line) {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry && entry->ReadLine(line);
}

bool FileTable::LineInputPiece(int16_t fileNumber, std::string& piece, std::size_t max,
                               bool& lineEnded) {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry && max > 0 && entry->ReadLinePiece(piece, max, lineEnded);
}

bool FileTable::ReadFailed(int16_t fileNumber) const {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry && entry->ReadFailed();
}

bool FileTable::Eof(int16_t fileNumber) {
  OpenFileEntry* entry = Entry(fileNumber);
  return !entry || entry->AtEnd();
}

bool FileTable::PrintLine(int16_t fileNumber, std::string_view text) {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry && entry->WriteLine(text);
}

bool FileTable::Put(int16_t fileNumber, int64_t position, std::string_view bytes) {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry && entry->WriteAt(position, bytes);
}

int64_t FileTable::Lof(int16_t fileNumber) {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry ? entry->Length() : -1;
}

int64_t FileTable::Seek(int16_t fileNumber) {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry ? entry->Position() : -1;
}

bool FileTable::SetSeek(int16_t fileNumber, int64_t position) {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry && entry->SetPosition(position);
}

int FileTable::BufferSize(int16_t fileNumber) const {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry ? entry->readBufferSize() : 0;
}

int FileTable::LineWidth(int16_t fileNumber) const {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry ? entry->lineWidth() : 0;
}

int FileTable::RecordLength(int16_t fileNumber) const {
  OpenFileEntry* entry = Entry(fileNumber);
  return entry ? entry->recordLength() : 0;
}

// The number is free again even when closing reports a failure: the file
// is gone from the table either way.
bool FileTable::Close(int16_t fileNumber) {
  OpenFileEntry* entry = Entry(fileNumber);
  if (!entry) return false;
  bool closed = entry->Close();
  entries_[static_cast<std::size_t>(fileNumber)].reset();
  return closed;
}

bool FileTable::IsOpen(int16_t fileNumber) const { return Entry(fileNumber) != nullptr; }

OpenFileEntry* FileTable::Entry(int16_t fileNumber) const {
  if (fileNumber < 1 || fileNumber > kMaxFileNumber) return nullptr;
  return entries_[static_cast<std::size_t>(fileNumber)].get();
}

int16_t FileTable::NextFreeNumber() const {
  for (int number = 1; number <= kMaxFileNumber; ++number) {
    if (!entries_[static_cast<std::size_t>(number)]) return static_cast<int16_t>(number);
  }
  return 0;
}

}  // namespace rizarode
