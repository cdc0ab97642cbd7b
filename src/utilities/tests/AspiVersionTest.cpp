#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/linux/AbsentWindowsServices.h"
#include "utilities/AspiVersion.h"
#include "utilities/tests/HostPc.h"

namespace korvel::utilities {
namespace {

using testing::HostPc;

// Passes every call on, writing down the sub-blocks asked for.
class RecordingVersionInfo : public platform::VersionInfo {
 public:
  explicit RecordingVersionInfo(platform::VersionInfo& inner) : inner_(inner) {}
  platform::DWORD GetFileVersionInfoSizeA(const char* file, platform::DWORD* handle) override {
    files.push_back(file);
    return inner_.GetFileVersionInfoSizeA(file, handle);
  }
  platform::BOOL GetFileVersionInfoA(const char* file, platform::DWORD handle, platform::DWORD size,
                                     void* data) override {
    sizes.push_back(size);
    return inner_.GetFileVersionInfoA(file, handle, size, data);
  }
  platform::BOOL VerQueryValueA(void* block, const char* subBlock, void** value,
                                platform::UINT* length) override {
    queries.push_back(subBlock);
    return inner_.VerQueryValueA(block, subBlock, value, length);
  }
  std::vector<std::string> files, queries;
  std::vector<platform::DWORD> sizes;

 private:
  platform::VersionInfo& inner_;
};

struct Strings {
  std::string fileVersion, description, company;
};

Strings Ask(platform::VersionInfo& versions) {
  std::array<char, 64> fileVersion, description, company;
  fileVersion.fill('#');
  description.fill('#');
  company.fill('#');
  AspiVersionStrings(versions, fileVersion, description, company);
  return {fileVersion.data(), description.data(), company.data()};
}

std::string Pc(const std::string& version) {
  return R"({"os":"win98","aspi":{"installed":true,"version":)" + version + "}}";
}

TEST(AspiVersionTest, TheThreeStringsOfTheRecordInTheTranslationsTable) {
  HostPc host(Pc(R"json({"file_version":"4.60 (1021)","description":"ASPI for Win32 DLL",
      "company":"Quillmere Adapter Labs","translation":"040704E4"})json"));
  RecordingVersionInfo versions(host.pc.platform().versions);
  const Strings strings = Ask(versions);
  EXPECT_EQ(strings.fileVersion, "4.60 (1021)");
  EXPECT_EQ(strings.description, "ASPI for Win32 DLL");
  EXPECT_EQ(strings.company, "Quillmere Adapter Labs");
  EXPECT_EQ(versions.files, (std::vector<std::string>{"WNASPI32.DLL"}));
  ASSERT_EQ(versions.sizes.size(), 1u);
  // The language comes first in the table's name, written in lower case.
  EXPECT_EQ(versions.queries,
            (std::vector<std::string>{"\\VarFileInfo\\Translation",
                                      "\\StringFileInfo\\040704e4\\FileVersion",
                                      "\\StringFileInfo\\040704e4\\FileDescription",
                                      "\\StringFileInfo\\040704e4\\CompanyName"}));
}

TEST(AspiVersionTest, DefaultsWhereTheRecordOrAStringIsMissing) {
  const struct {
    std::string json;
    Strings strings;
  } cases[] = {
      {R"({"os":"win98","aspi":{"installed":true}})", {"N/A", "N/A", ""}},
      {R"({"os":"win98"})", {"N/A", "N/A", ""}},
      {Pc(R"({"file_version":"1.0","company":"C"})"), {"1.0", "N/A", "C"}},
      {Pc(R"({"description":"D"})"), {"N/A", "D", ""}},
      {Pc(R"({"file_version":"1.0","description":"D","company":"C","string_table":"040904E4"})"),
       {"N/A", "N/A", ""}},
      {Pc(R"({"file_version":"","description":"","company":""})"), {"", "", ""}},
  };
  for (const auto& c : cases) {
    HostPc host(c.json);
    const Strings strings = Ask(host.pc.platform().versions);
    EXPECT_EQ(strings.fileVersion, c.strings.fileVersion) << c.json;
    EXPECT_EQ(strings.description, c.strings.description) << c.json;
    EXPECT_EQ(strings.company, c.strings.company) << c.json;
  }
}

TEST(AspiVersionTest, LongStringsAreCutToTheTextsSize) {
  HostPc host(Pc(R"({"file_version":"4.60.0.1021","description":"ASPI for Win32 DLL",
      "company":"Quillmere Adapter Labs"})"));
  std::array<char, 8> fileVersion, description, company;
  for (auto* text : {&fileVersion, &description, &company}) text->fill('#');
  AspiVersionStrings(host.pc.platform().versions, std::span<char>(fileVersion.data(), 5),
                     std::span<char>(description.data(), 1), std::span<char>(company.data(), 0));
  EXPECT_EQ(std::string(fileVersion.data(), 8), std::string("4.60\0###", 8));
  EXPECT_EQ(std::string(description.data(), 8), std::string("\0#######", 8));
  EXPECT_EQ(std::string(company.data(), 8), "########");
}

TEST(AspiVersionTest, LinuxHasNoRecord) {
  platform::linux_host::NoVersionInfo versions;
  const Strings strings = Ask(versions);
  EXPECT_EQ(strings.fileVersion, "N/A");
  EXPECT_EQ(strings.description, "N/A");
  EXPECT_EQ(strings.company, "");
}

}  // namespace
}  // namespace korvel::utilities
