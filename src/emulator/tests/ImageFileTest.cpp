// Image files: reads at any offset, zeros past the end, and no waiting on things that are not
// files.
#include "emulator/images/ImageFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>
#include <vector>

#include "emulator/ConfigError.h"
#include "emulator/tests/ScratchDirectory.h"

namespace korvel::emulator {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Counting(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t at = 0; at < size; ++at)
    bytes[at] = static_cast<std::uint8_t>(at * 7 + at / 251);
  return bytes;
}

TEST(ImageFileTest, ReadsAtOffsetsAndFillsZerosPastTheEnd) {
  testing::ScratchDirectory scratch;
  const Bytes content = Counting(5000);
  const ImageFile file(scratch.Write("disc.bin", content));
  EXPECT_EQ(file.size(), 5000u);
  const struct {
    std::uint64_t offset;
    std::size_t length;
    std::size_t fromFile;
  } reads[] = {
      {0, 2048, 2048},
      {2952, 2048, 2048},
      {4000, 2048, 1000},
      {5000, 16, 0},
      {0, 0, 0},
      {1ull << 40, 8, 0},
      {~std::uint64_t{0} - 3, 8, 0},
  };
  for (const auto& read : reads) {
    Bytes out(read.length, 0xAA);
    EXPECT_EQ(file.ReadAt(read.offset, out), read.fromFile) << "offset " << read.offset;
    for (std::size_t at = 0; at < out.size(); ++at) {
      const std::uint8_t expected = at < read.fromFile ? content[read.offset + at] : 0;
      ASSERT_EQ(out[at], expected) << "offset " << read.offset << " byte " << at;
    }
  }
}

TEST(ImageFileTest, RefusesWhatIsNotARegularFileWithoutBlocking) {
  testing::ScratchDirectory scratch;
  const auto fifo = scratch.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::filesystem::path path;
    const char* why;
  } refused[] = {
      {scratch.path() / "missing.bin", "No such file or directory"},
      {scratch.path(), "it is a directory"},
      {fifo, "it is a FIFO"},
      {"/dev/null", "it is a device"},
  };
  for (const auto& entry : refused) {
    try {
      ImageFile file(entry.path);
      ADD_FAILURE() << entry.path << " was opened";
    } catch (const ConfigError& error) {
      EXPECT_EQ(std::string(error.what()),
                "cannot use image file \"" + entry.path.string() + "\": " + entry.why);
    }
  }
}

TEST(ImageFileTest, ThreadsReadingAtOnceEachGetTheirOwnBytes) {
  testing::ScratchDirectory scratch;
  const Bytes content = Counting(64 * 1024);
  const ImageFile file(scratch.Write("disc.bin", content));
  std::vector<std::thread> readers;
  std::vector<int> mismatches(4, 0);
  for (int reader = 0; reader < 4; ++reader) {
    readers.emplace_back([&, reader] {
      Bytes out(1000);
      for (std::uint64_t offset = static_cast<std::uint64_t>(reader) * 97;
           offset + out.size() <= content.size(); offset += 389) {
        file.ReadAt(offset, out);
        if (!std::equal(out.begin(), out.end(), content.begin() + static_cast<long>(offset))) {
          ++mismatches[static_cast<std::size_t>(reader)];
        }
      }
    });
  }
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace korvel::emulator
