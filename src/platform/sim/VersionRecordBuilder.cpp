#include "platform/sim/VersionRecordBuilder.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/LittleEndian.h"
#include "platform/VersionRecord.h"

namespace korvel::platform::sim {
namespace {

// Appends nodes to a record; a node's length is filled in when it ends.
class NodeWriter {
 public:
  // Starts a node with its key; returns its offset for End.
  std::size_t Begin(std::string_view key, WORD valueLength, WORD type) {
    Pad();
    const std::size_t start = bytes_.size();
    bytes_.resize(start + kVersionNodeKey);
    PutLittleEndian(&bytes_[start + kVersionNodeValueLength], valueLength, 2);
    PutLittleEndian(&bytes_[start + kVersionNodeType], type, 2);
    PutText(key);
    Pad();
    return start;
  }
  void PutBytes(const BYTE* data, std::size_t size) {
    bytes_.insert(bytes_.end(), data, data + size);
  }
  // Text as UTF-16 with its NUL.
  void PutText(std::string_view text) {
    for (char c : text) PutWord(static_cast<unsigned char>(c));
    PutWord(0);
  }
  void End(std::size_t start) {
    PutLittleEndian(&bytes_[start + kVersionNodeLength], bytes_.size() - start, 2);
  }
  std::vector<BYTE> Take() { return std::move(bytes_); }

 private:
  void PutWord(WORD word) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + 2);
    PutLittleEndian(&bytes_[at], word, 2);
  }
  void Pad() { bytes_.resize(AlignVersionOffset(bytes_.size())); }

  std::vector<BYTE> bytes_;
};

// "4.60.0.1021 (build)" → {4, 60, 0, 1021}; numbers stop at the first character that is
// neither a digit nor a dot.
std::array<WORD, 4> VersionNumbers(std::string_view text) {
  std::array<WORD, 4> numbers{};
  std::size_t part = 0;
  unsigned value = 0;
  bool digits = false;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      value = value * 10 + static_cast<unsigned>(c - '0');
      if (value > 0xFFFF) value = 0xFFFF;
      digits = true;
    } else if (c == '.' && digits && part < 3) {
      numbers[part++] = static_cast<WORD>(value);
      value = 0;
      digits = false;
    } else {
      break;
    }
  }
  if (digits) numbers[part] = static_cast<WORD>(value);
  return numbers;
}

void PutString(NodeWriter& writer, std::string_view key, const std::optional<std::string>& text) {
  if (!text) return;
  const std::size_t node =
      writer.Begin(key, static_cast<WORD>(text->size() + 1), kVersionValueText);
  writer.PutText(*text);
  writer.End(node);
}

}  // namespace

std::vector<BYTE> BuildVersionRecord(const VersionRecordSettings& settings) {
  const std::array<WORD, 4> version = VersionNumbers(settings.fileVersion.value_or(""));
  VS_FIXEDFILEINFO fixed{};
  fixed.dwSignature = VS_FFI_SIGNATURE;
  fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
  fixed.dwFileVersionMS = static_cast<DWORD>(version[0]) << 16 | version[1];
  fixed.dwFileVersionLS = static_cast<DWORD>(version[2]) << 16 | version[3];
  fixed.dwProductVersionMS = fixed.dwFileVersionMS;
  fixed.dwProductVersionLS = fixed.dwFileVersionLS;
  fixed.dwFileFlagsMask = 0x3F;
  fixed.dwFileOS = VOS__WINDOWS32;
  fixed.dwFileType = VFT_DLL;
  // The fields in the record's own byte order, one DWORD after another.
  std::array<BYTE, sizeof(VS_FIXEDFILEINFO)> fixedBytes{};
  const DWORD fields[] = {fixed.dwSignature,     fixed.dwStrucVersion,     fixed.dwFileVersionMS,
                          fixed.dwFileVersionLS, fixed.dwProductVersionMS, fixed.dwProductVersionLS,
                          fixed.dwFileFlagsMask, fixed.dwFileFlags,        fixed.dwFileOS,
                          fixed.dwFileType,      fixed.dwFileSubtype,      fixed.dwFileDateMS,
                          fixed.dwFileDateLS};
  static_assert(sizeof fields == sizeof(VS_FIXEDFILEINFO));
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    PutLittleEndian(&fixedBytes[4 * i], fields[i], 4);
  }

  char tableName[9];
  std::snprintf(tableName, sizeof tableName, "%04X%04X", settings.language, settings.codePage);

  NodeWriter writer;
  const std::size_t root =
      writer.Begin(kVersionRootKey, sizeof(VS_FIXEDFILEINFO), kVersionValueBinary);
  writer.PutBytes(fixedBytes.data(), fixedBytes.size());

  const std::size_t stringInfo = writer.Begin("StringFileInfo", 0, kVersionValueText);
  const std::size_t table =
      writer.Begin(settings.stringTable.value_or(tableName), 0, kVersionValueText);
  PutString(writer, "CompanyName", settings.company);
  PutString(writer, "FileDescription", settings.description);
  PutString(writer, "FileVersion", settings.fileVersion);
  writer.End(table);
  writer.End(stringInfo);

  const std::size_t varInfo = writer.Begin("VarFileInfo", 0, kVersionValueText);
  const std::size_t translation = writer.Begin("Translation", 4, kVersionValueBinary);
  BYTE entry[4];
  PutLittleEndian(entry, static_cast<DWORD>(settings.codePage) << 16 | settings.language, 4);
  writer.PutBytes(entry, sizeof entry);
  writer.End(translation);
  writer.End(varInfo);
  writer.End(root);
  return writer.Take();
}

}  // namespace korvel::platform::sim
