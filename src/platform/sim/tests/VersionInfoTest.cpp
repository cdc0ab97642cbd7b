// The ASPI library's version record on the simulated PC: its bytes, and the walk of
// VerQueryValueA over it and over damaged records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ScriptedDevice.h"
#include "emulator/VirtualClock.h"
#include "platform/LittleEndian.h"
#include "platform/VersionRecord.h"
#include "platform/sim/SimulatedPc.h"
#include "platform/sim/VersionRecordBuilder.h"

namespace korvel::platform::sim {
namespace {

using testing::ScenarioOf;

constexpr char kLibraryWithRecord[] = R"json({"os":"win98","aspi":{"installed":true,"version":{
    "file_version":"4.60.0.1021 (build 7)","description":"ASPI for Win32 DLL",
    "company":"Quillmere Adapter Labs","translation":"040904B0"}}})json";

struct Pc {
  explicit Pc(const std::string& json) : pc(ScenarioOf(json), clock) {}
  emulator::VirtualClock clock;
  SimulatedPc pc;
  VersionInfo& versions() { return pc.platform().versions; }

  std::vector<BYTE> Block(const char* file = "WNASPI32.DLL") {
    DWORD handle = 99;
    const DWORD size = versions().GetFileVersionInfoSizeA(file, &handle);
    EXPECT_EQ(handle, 0u);
    std::vector<BYTE> block(size);
    if (size > 0) {
      EXPECT_EQ(versions().GetFileVersionInfoA(file, handle, size, block.data()), 1);
    }
    return block;
  }
};

std::string QueryText(VersionInfo& versions, std::vector<BYTE>& block, const char* path) {
  void* value = nullptr;
  UINT length = 0;
  if (versions.VerQueryValueA(block.data(), path, &value, &length) == 0) return "<none>";
  return static_cast<const char*>(value);
}

TEST(VersionInfoTest, TheRecordStartsWithTheRootNodeAndItsFixedFileInfo) {
  const std::vector<BYTE> record =
      BuildVersionRecord(ScenarioOf(kLibraryWithRecord).aspi.version.value());
  ASSERT_GE(record.size(), 92u);
  EXPECT_EQ(GetLittleEndian(&record[0], 2), record.size());  // wLength
  EXPECT_EQ(GetLittleEndian(&record[2], 2), 52u);            // wValueLength
  EXPECT_EQ(GetLittleEndian(&record[4], 2), 0u);             // binary
  // "VS_VERSION_INFO" in UTF-16 with its NUL: 32 bytes from offset 6, padded to 40.
  for (std::size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(record[6 + 2 * i], static_cast<BYTE>("VS_VERSION_INFO"[i]));
    EXPECT_EQ(record[7 + 2 * i], 0);
  }
  EXPECT_EQ(GetLittleEndian(&record[40], 4), 0xFEEF04BDu);
  EXPECT_EQ(GetLittleEndian(&record[48], 4), 0x0004003Cu);  // 4.60
  EXPECT_EQ(GetLittleEndian(&record[52], 4), 0x000003FDu);  // 0.1021
}

TEST(VersionInfoTest, StringsAndTranslationAreFoundByPathWithoutRegardToCase) {
  Pc f(kLibraryWithRecord);
  std::vector<BYTE> block = f.Block();
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block.size(), VersionBlockSize(GetLittleEndian(block.data(), 2)));
  EXPECT_EQ(QueryText(f.versions(), block, "\\StringFileInfo\\040904b0\\FileVersion"),
            "4.60.0.1021 (build 7)");
  EXPECT_EQ(QueryText(f.versions(), block, "\\stringfileinfo\\040904B0\\companyname"),
            "Quillmere Adapter Labs");
  EXPECT_EQ(QueryText(f.versions(), block, "\\StringFileInfo\\040904B0\\FileDescription"),
            "ASPI for Win32 DLL");
  EXPECT_EQ(QueryText(f.versions(), block, "\\StringFileInfo\\040904B0\\ProductName"), "<none>");
  EXPECT_EQ(QueryText(f.versions(), block, "\\StringFileInfo\\040704E4\\FileVersion"), "<none>");

  void* value = nullptr;
  UINT length = 0;
  ASSERT_EQ(
      f.versions().VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length), 1);
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(GetLittleEndian(static_cast<const BYTE*>(value), 4), 0x04B00409u);
  ASSERT_EQ(f.versions().VerQueryValueA(block.data(), "\\", &value, &length), 1);
  EXPECT_EQ(length, 52u);
  EXPECT_EQ(GetLittleEndian(static_cast<const BYTE*>(value), 4), VS_FFI_SIGNATURE);
}

TEST(VersionInfoTest, AStringTableNamedOtherThanTheTranslationHoldsTheStrings) {
  Pc f(R"({"os":"nt4","aspi":{"installed":true,"version":{"file_version":"1.0",
      "translation":"040904E4","string_table":"040704E4"}}})");
  std::vector<BYTE> block = f.Block();
  EXPECT_EQ(QueryText(f.versions(), block, "\\StringFileInfo\\040904e4\\FileVersion"), "<none>");
  EXPECT_EQ(QueryText(f.versions(), block, "\\StringFileInfo\\040704e4\\FileVersion"), "1.0");
}

TEST(VersionInfoTest, NoRecordWithoutTheLibraryOrItsVersionKeyOrForOtherFiles) {
  struct Case {
    const char* json;
    const char* file;
    DWORD error;
  } cases[] = {
      {R"({"os":"win98","aspi":{"installed":true}})", "WNASPI32.DLL",
       ERROR_RESOURCE_TYPE_NOT_FOUND},
      {R"({"os":"win98","aspi":{"installed":false,"version":{}}})", "WNASPI32.DLL",
       ERROR_FILE_NOT_FOUND},
      {kLibraryWithRecord, "KERNEL32.DLL", ERROR_FILE_NOT_FOUND},
      {kLibraryWithRecord, nullptr, ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    Pc f(c.json);
    DWORD handle = 7;
    EXPECT_EQ(f.versions().GetFileVersionInfoSizeA(c.file, &handle), 0u) << c.json;
    EXPECT_EQ(f.pc.kernel().GetLastError(), c.error) << c.json;
    BYTE buffer[16] = {};
    EXPECT_EQ(f.versions().GetFileVersionInfoA(c.file, 0, sizeof buffer, buffer), 0);
  }
  Pc f(kLibraryWithRecord);
  EXPECT_GT(f.versions().GetFileVersionInfoSizeA("c:\\windows\\system\\wnaspi32", nullptr), 0u);
}

TEST(VersionInfoTest, ABufferSmallerThanTheBlockIsRefusedUntouched) {
  Pc f(kLibraryWithRecord);
  const DWORD size = f.versions().GetFileVersionInfoSizeA("WNASPI32.DLL", nullptr);
  std::vector<BYTE> block(size, 0xEE);
  EXPECT_EQ(f.versions().GetFileVersionInfoA("WNASPI32.DLL", 0, size - 1, block.data()), 0);
  EXPECT_EQ(f.pc.kernel().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(block, std::vector<BYTE>(size, 0xEE));
}

// A record made by hand: one root with one string table child, whose lengths tests then damage.
std::vector<BYTE> HandMadeBlock() {
  VersionRecordSettings settings;
  settings.fileVersion = "1.0";
  const std::vector<BYTE> record = BuildVersionRecord(settings);
  std::vector<BYTE> block(VersionBlockSize(record.size()), 0);
  std::copy(record.begin(), record.end(), block.begin());
  std::memcpy(&block[AlignVersionOffset(record.size())], "FE2X", 4);
  return block;
}

// The StringFileInfo node follows the root's 40-byte header and 52-byte value.
constexpr std::size_t kStringFileInfo = 92;

TEST(VersionInfoTest, DamagedLengthsGiveNoValueAndNoReadOutsideTheRecord) {
  struct Damage {
    const char* what;
    std::size_t offset;
    WORD value;
  } damages[] = {
      {"child longer than its parent", kStringFileInfo, 0xFFF0},
      {"child shorter than a header", kStringFileInfo, 2},
      {"child of length 0", kStringFileInfo, 0},
      {"root shorter than its key", 0, 10},
      {"value longer than its node", kStringFileInfo + 2, 0x7FFF},
  };
  for (const Damage& damage : damages) {
    std::vector<BYTE> block = HandMadeBlock();
    PutLittleEndian(&block[damage.offset], damage.value, 2);
    void* value = nullptr;
    UINT length = 5;
    EXPECT_EQ(
        QueryVersionBlock(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", &value, &length),
        0)
        << damage.what;
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(length, 0u);
  }
}

TEST(VersionInfoTest, TextNeedsTheScratchAreaWhileBinaryValuesDoNot) {
  std::vector<BYTE> block = HandMadeBlock();
  const std::size_t tag = AlignVersionOffset(GetLittleEndian(block.data(), 2));
  block[tag] = 'X';
  void* value = nullptr;
  UINT length = 0;
  EXPECT_EQ(
      QueryVersionBlock(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", &value, &length),
      0);
  EXPECT_EQ(QueryVersionBlock(block.data(), "\\VarFileInfo\\Translation", &value, &length), 1);
  EXPECT_EQ(length, 4u);
}

TEST(VersionInfoTest, TextOutsideLatin1BecomesAQuestionMark) {
  std::vector<BYTE> block = HandMadeBlock();
  // The value "1.0" is the record's last string: find its first character and make it U+4E00.
  const std::size_t length = GetLittleEndian(block.data(), 2);
  std::size_t at = 0;
  for (std::size_t i = 0; i + 6 <= length; i += 2) {
    if (block[i] == '1' && block[i + 1] == 0 && block[i + 2] == '.' && block[i + 4] == '0') at = i;
  }
  ASSERT_NE(at, 0u);
  PutLittleEndian(&block[at], 0x4E00, 2);
  void* value = nullptr;
  UINT count = 0;
  ASSERT_EQ(
      QueryVersionBlock(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", &value, &count),
      1);
  EXPECT_STREQ(static_cast<const char*>(value), "?.0");
  EXPECT_EQ(count, 4u);  // characters with the NUL, as stored
}

}  // namespace
}  // namespace korvel::platform::sim
