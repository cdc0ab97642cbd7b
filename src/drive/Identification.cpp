#include "drive/Identification.h"

#include <cstring>

namespace korvel::drive {
namespace {

constexpr std::uint8_t kInquiryAllocation = 56;

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Compares two terminated strings whole, letters A to Z without regard to case.
bool EqualIgnoringLetterCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (UpperAscii(*a) != UpperAscii(*b)) return false;
  }
  return *a == *b;
}

void CopyField(char* out, const std::uint8_t* in, std::size_t size) {
  std::memcpy(out, in, size);
  out[size] = '\0';
}

}  // namespace

int InquireDrive(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                 char* vendor, char* product, char* revision) {
  if (transport.state().PassThroughMode) {
    return transport.PassThroughInquiry(adapter, target, vendor, product, revision);
  }
  const std::uint8_t cdb[6] = {0x12, 0x00, 0x00, 0x00, kInquiryAllocation, 0x00};
  std::uint8_t data[kInquiryAllocation] = {};
  if (transport.ExecuteCommand(adapter, target, cdb, data, kInquiryAllocation) != 1) return 0;
  CopyField(vendor, data + 8, 8);
  CopyField(product, data + 16, 16);
  CopyField(revision, data + 32, 4);
  return static_cast<std::int8_t>(data[0]) * 256 + 1;
}

DriveType DriveTypeOf(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target) {
  InquiryInfo info;
  if ((InquireDrive(transport, adapter, target, info) & 0xFF) != 1) return kDriveTypeNotMaker;
  if (!EqualIgnoringLetterCase(info.vendor, kKorvelVendor)) return kDriveTypeNotMaker;
  DriveType result = kDriveTypeUnknownModel;
  for (int row = 0; row < kProductRows; ++row) {
    if (EqualIgnoringLetterCase(info.product, ProductTable[row].data())) result = row;
  }
  // Revision rule of the type-12 model; with the present table no drive reaches row 12.
  if (result == 12 && info.revision[2] == '1') result = 17;
  return result;
}

char* ModelNameOf(DriveType type, char* out) {
  const char* name = (type >= 0 && type < kProductRows) ? ModelNameTable[type].data() : " ";
  std::strcpy(out, name);
  return out;
}

}  // namespace korvel::drive
