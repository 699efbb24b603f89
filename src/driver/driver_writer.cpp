#include "driver/driver_writer.h"

#include "fileio/file_table.h"
#include "program/module_state.h"

namespace rizarode {
namespace {

struct FieldBlock {
  const char* name;
  const char* startTags;
  const char* endTags;
};

// The emphasis with which the host application prints each kind of field;
// the end tags undo the start tags in reverse order.
constexpr FieldBlock kFieldBlocks[] = {
    {"Given_name", "#BOLD#", "#bold#"},
    {"Surname", "#BOLD#", "#bold#"},
    {"Info", "#ITALIC#", "#italic#"},
    {"Record_number", "", ""},
    {"Call_name", "", ""},
    {"Alias", "", ""},
    {"Code", "", ""},
    {"Occupation", "", ""},
    {"Date", "", ""},
    {"Place", "", ""},
    {"Source", "", ""},
    {"Source_text", "", ""},
    {"Patronym", "", ""},
    {"Number", "", ""},
    {"Generation", "", ""},
    {"Call_name2", "#BOLD##UNDERLINE#", "#underline##bold#"},
    {"Witnesses", "", ""},
};

}  // namespace

DriverWriter::DriverWriter(FileTable& files, int16_t fileNumber)
    : files_(files), fileNumber_(fileNumber) {}

DriverWriter::~DriverWriter() {
  if (open_) files_.Close(fileNumber_);
}

void DriverWriter::Line(std::string_view number, std::string_view value) {
  std::string text(number);
  text += " : ";
  text += value;
  Write(text);
}

void DriverWriter::EmptyLine() { Write(""); }

void DriverWriter::Write(std::string_view text) {
  if (!files_.PrintLine(fileNumber_, text)) failed_ = true;
}

bool DriverWriter::Close() {
  if (open_) {
    open_ = false;
    if (!files_.Close(fileNumber_)) failed_ = true;
  }
  return !failed_;
}

void WriteHeader(DriverWriter& writer, const std::string& deviceName) {
  writer.Line(std::string("01 ") + kVersionText, "Windows printer (" + deviceName + ")");
  writer.EmptyLine();
  writer.Line("02", "#JOBstart#");
  writer.Line("03", "#JOBend#");
  writer.EmptyLine();
  writer.Line("11", "");
  writer.Line("12", "<13><10>");
  writer.EmptyLine();
  writer.Line("13", "#BOLD#");
  writer.Line("14", "#bold#");
  writer.Line("15", "#UNDERLINE#");
  writer.Line("16", "#underline#");
  writer.Line("17", "#ITALIC#");
  writer.Line("18", "#italic#");
  writer.EmptyLine();
  writer.Line("19", "WINDOWS");
  writer.EmptyLine();
  writer.Line("20", "<127>,<32>");
  writer.Line("20", "<255>,<32>");
}

void WriteFieldBlocks(DriverWriter& writer) {
  for (const FieldBlock& block : kFieldBlocks) {
    writer.EmptyLine();
    writer.Line("50", block.name);
    writer.Line("51", block.startTags);
    writer.Line("52", block.endTags);
  }
}

}  // namespace rizarode
