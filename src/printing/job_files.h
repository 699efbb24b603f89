#pragma once
// The names of print files in the work directory. The host writes
// "VK" + 6 hexadecimal digits + ".TMP"; the program takes a finished one
// away under the same stem with a number of its own (".001", ".002", ...).
// Only these two forms are print files: the run's lock file, the DOS
// emulator's files and a file kept because it was cut short are not.

#include <set>
#include <string>

#include "platform/file_system.h"

namespace rizarode {

class Program;
struct PrintJob;

// Where a print file's name stops being its stem ("VK0000FF"); npos when
// the name is no print file. order tells the file's place among those of
// its stem: its number, the host's ".TMP" (not taken yet) after them all.
std::size_t PrintFileStemLength(const std::string& name, long& order);

// A free name for the next job this run takes: its print file's stem with
// the next number.
std::string NextJobPath(Program& program);

// A print file is complete once nobody has it open for writing any more.
bool FinishedWriting(Program& program, const std::string& path);

// Moves a file that ends short of its job's end to a name that says so and
// that is never taken for a print file; returns that name, or empty when
// the file stays where it is.
std::string KeepCutFile(Program& program, const std::string& path);

// The same for a file that was printed but could not be deleted: the next
// start must not print it again.
std::string KeepPrintedFile(Program& program, const std::string& path);

// A run's lock file lists its print files that went out, one name a line,
// each written before the file is deleted: a file that then cannot be
// deleted, nor set aside, is not printed again by the next start, which
// reads the list through the lock it takes.
void RecordAsGone(Program& program, PrintJob& job);
std::set<std::string> FilesRecordedAsGone(FileHandle& lock);

}  // namespace rizarode
