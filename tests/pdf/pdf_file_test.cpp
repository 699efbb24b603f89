// The PDF file's order while streams deflate, in batches, on a thread of their own.

#include "pdf/pdf_file.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace rizarode::pdf {
namespace {

class MemorySink : public ByteSink {
 public:
  explicit MemorySink(std::string& bytes) : bytes_(bytes) {}
  bool Write(const unsigned char* data, std::size_t size) override {
    bytes_.append(reinterpret_cast<const char*>(data), size);
    return true;
  }

 private:
  std::string& bytes_;
};

// A page's worth of text that does not deflate to nothing.
std::string PageText(int page) {
  std::string text;
  for (int line = 0; line < 64; ++line) {
    text += "1 0 0 -1 150 " + std::to_string(line * 94 + page) + " Tm\n(" +
            std::to_string(page * 1000003 + line * 7919) + " line of the page) Tj\n";
  }
  return text;
}

std::string Inflated(std::string_view deflated) {
  std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> d(
      libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
  std::string out(1 << 20, '\0');
  std::size_t size = 0;
  if (libdeflate_zlib_decompress(d.get(), deflated.data(), deflated.size(), out.data(), out.size(),
                                 &size) != LIBDEFLATE_SUCCESS) {
    return "(not a zlib stream)";
  }
  out.resize(size);
  return out;
}

// Streams and objects in any mix reach the file in the order written, each
// where the cross-reference table says, each stream as it was given: in a
// document of one batch and in one of several.
TEST(PdfFileTest, ObjectsKeepTheirOrderAndOffsetsAroundStreamsDeflatingMeanwhile) {
  for (int repeats : {1, 100}) {
    std::string bytes;
    std::vector<std::string> streams;
    // stream, object, object, stream, stream, object, stream: every way an
    // object can come while a stream is in hand.
    std::string plan;
    for (int r = 0; r < repeats; ++r) plan += "soossos";
    const uint32_t count = static_cast<uint32_t>(plan.size());
    {
      PdfFile file(std::make_unique<MemorySink>(bytes));
      for (int i = 0; plan[i]; ++i) {
        uint32_t number = file.Reserve();
        if (plan[i] == 's') {
          streams.push_back(PageText(i));
          file.WriteStream(number, streams.back(), i == 0 ? "/Length1 9" : "");
        } else {
          file.WriteObject(number, "<< /Object " + std::to_string(i + 1) + " >>");
        }
      }
      ASSERT_TRUE(file.Finish(1, 2));
    }

    std::string table = "\nxref\n0 " + std::to_string(count + 1) + "\n";
    std::size_t xref = bytes.find(table);
    ASSERT_NE(xref, std::string::npos);
    std::size_t previous = 0, stream = 0;
    for (uint32_t number = 1; number <= count; ++number) {
      std::size_t entry = xref + table.size() + 20 * number;
      std::size_t offset = std::strtoull(bytes.substr(entry, 10).c_str(), nullptr, 10);
      std::string head = std::to_string(number) + " 0 obj\n";
      EXPECT_EQ(bytes.compare(offset, head.size(), head), 0) << "object " << number;
      EXPECT_GT(offset, previous) << "object " << number;
      previous = offset;
      std::size_t body = offset + head.size();
      if (bytes.compare(body, 10, "<< /Length") == 0) {
        std::size_t length = std::strtoull(bytes.c_str() + body + 11, nullptr, 10);
        std::size_t data = bytes.find(">>\nstream\n", body) + 10;
        EXPECT_EQ(Inflated(std::string_view(bytes).substr(data, length)), streams.at(stream++))
            << "object " << number;
        if (number == 1) {
          EXPECT_EQ(bytes.compare(data - 21, 11, "/Length1 9 "), 0) << bytes.substr(body, 60);
        }
      }
    }
    EXPECT_EQ(stream, streams.size());
  }
}

// A document given up while its last page deflates (the job aborted) ends
// without waiting on, or writing into, what is gone.
TEST(PdfFileTest, AFileGivenUpWhileAStreamDeflatesEndsCleanly) {
  std::string bytes;
  for (int i = 0; i < 20; ++i) {
    PdfFile file(std::make_unique<MemorySink>(bytes));
    std::string big;
    for (int page = 0; page < 40; ++page) big += PageText(page);
    file.WriteStream(file.Reserve(), big);
    file.WriteObject(file.Reserve(), "<< /Type /Page >>");
  }
  EXPECT_EQ(bytes.find("0 obj"), std::string::npos);
}

}  // namespace
}  // namespace rizarode::pdf
