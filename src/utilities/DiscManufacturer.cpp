#include "utilities/DiscManufacturer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "drive/Commands.h"
#include "drive/CommandsStandard.h"
#include "drive/TocLayout.h"
#include "formats/BigEndian.h"
#include "formats/DiscAnswerLayouts.h"

namespace korvel::utilities {

const std::array<ManufacturerRow, 27> ManufacturerTable = {{
    {"POSTECH", 26, 10, 47, 40},
    {"Nippon Columbia", 30, 10, 48, 40},
    {"Auvistar Industry", 28, 30, 46, 50},
    {"Gigastorage", 28, 10, 49, 10},
    {"Optical Disc", 26, 30, -1, -1},
    {"Fornet International PTE", 26, 0, 45, 0},
    {"Fuji Photo Film", 26, 40, -1, -1},
    {"Sony", 24, 10, 46, 10},
    {"CIS Technology", 22, 40, 45, 40},
    {"CMC Magnetics", 26, 60, 46, 60},
    {"Computer Suppport Italy", 24, 20, 46, 30},
    {"Multi Media Masters & Machinary", 28, 20, 46, 20},
    {"Optical Disc Manufacturing Equipment", 21, 40, -1, -1},
    {"Ritek", 31, 0, 47, 50},
    {"Lead Data", 26, 50, 48, 60},
    {"Hitachi Maxell", 25, 20, 47, 10},
    {"Kodak Japan", 27, 40, 48, 10},
    {"Mitsui Chemicals", 27, 50, 48, 50},
    {"Pioneer Video", 27, 30, 48, 30},
    {"Plasmon Data", 27, 10, 48, 20},
    {"Princo", 27, 20, 47, 20},
    {"Ricoh", 27, 60, 48, 0},
    {"SKC", 26, 20, -1, -1},
    {"Taiyo Yuden", 24, 0, 46, 0},
    {"TDK", 32, 0, 49, 0},
    {"Mitsubishi Chemical", 34, 20, 50, 20},
    {"Matsushita Electric Industrial", 23, 0, 49, 60},
}};

const std::array<RewritableMakerRow, 3> RewritableMakerTable = {{
    {"Ricoh", 27, 0, 333900},
    {"Ritek", 27, 0, 336375},
    {"Mitsubishi", 34, 20, 0},
}};

namespace {

using transport::DeviceAddress;
using transport::ScsiTransport;

constexpr std::size_t kWorkArea = 3000;
constexpr std::size_t kFilledBytes = 32;
constexpr std::uint8_t kFill = 0x66;
constexpr std::uint32_t kDiscInformationLength = 4;
constexpr std::uint8_t kErasableBit = 0x10;
constexpr std::uint8_t kTocFormatAtip = 4;
constexpr std::uint32_t kAtipLength = 32;
constexpr std::uint32_t kFullTocLength = 3000;
constexpr int kAtipLeadInMinute = 97;

bool CodeMatches(int seconds, int frame, int rowSeconds, int rowFrame) {
  return rowSeconds >= 0 && seconds == rowSeconds && frame / 10 == rowFrame / 10;
}

bool Matches(const ManufacturerRow& row, int seconds, int frame) {
  return CodeMatches(seconds, frame, row.seconds1, row.frame1) ||
         CodeMatches(seconds, frame, row.seconds2, row.frame2);
}

// The last possible start of the lead-out, "%2ld:%02ld:%02ld".
std::string LeadOutText(long minute, long second, long frame) {
  char text[64];
  std::snprintf(text, sizeof text, "%2ld:%02ld:%02ld", minute, second, frame);
  return text;
}

// "%s (type %d)" of a row's name and the disc's type digit.
std::string NamedType(const char* name, int type) {
  return std::string(name) + " (type " + std::to_string(type) + ")";
}

void Fill(std::vector<std::uint8_t>& work) {
  std::fill_n(work.begin(), kFilledBytes, kFill);
}

// The maker from the ATIP copy (POINT C0) of a multi-session disc's full table of contents.
void NameFromFullToc(ScsiTransport& transport, DeviceAddress address,
                     std::vector<std::uint8_t>& work, std::string& text) {
  using namespace drive::full_toc_layout;
  Fill(work);
  if (drive::ReadTocFormatInControlByte(transport, address.adapter, address.target,
                                        drive::kTocFormatFullToc, kFullTocLength,
                                        work.data()) != 1 ||
      work[kFirst] == work[kLast]) {
    return;
  }
  const auto dataLength = static_cast<std::size_t>(formats::GetBigEndian(&work[kDataLength], 2));
  const std::size_t count = dataLength >= 2 ? (dataLength - 2) / kDescriptorSize : 0;
  const drive::FullTocDescriptors descriptors(
      std::span<const std::uint8_t>(work).first(kFullTocLength), count);
  std::optional<std::array<int, 3>> atipCopy;
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    const auto d = descriptors[i];
    if (d[kPoint] == drive::kPointAtipCopy) {
      atipCopy = {drive::FromBcd(d[kPmin]), drive::FromBcd(d[kPsec]), drive::FromBcd(d[kPframe])};
    }
  }
  if (!atipCopy || (*atipCopy)[0] != kAtipLeadInMinute) return;
  const int seconds = (*atipCopy)[1];
  const int frame = (*atipCopy)[2];
  for (const ManufacturerRow& row : ManufacturerTable) {
    if (!Matches(row, seconds, frame)) continue;
    text = NamedType(row.name, frame % 10);
  }
}

}  // namespace

std::string DiscManufacturerText(ScsiTransport& transport, DeviceAddress address) {
  using namespace formats::atip_layout;
  std::string text = "-";
  bool rewritable = false;
  std::vector<std::uint8_t> work(kWorkArea, 0);
  drive::TestUnitReady(transport, address.adapter, address.target);
  drive::RequestSense(transport, address.adapter, address.target, work.data());

  Fill(work);
  drive::RequestSense(transport, address.adapter, address.target, work.data());
  if (drive::ReadDiscInformation(transport, address.adapter, address.target, kDiscInformationLength,
                                 work.data()) == 1 &&
      (work[2] & kErasableBit) != 0) {
    rewritable = true;
  }

  Fill(work);
  if (drive::ReadToc(transport, address.adapter, address.target, kTocFormatAtip, 0, kAtipLength,
                     work.data()) != 1) {
    NameFromFullToc(transport, address, work, text);
    return text;
  }
  const int minute = work[kLeadIn];
  const int seconds = work[kLeadIn + 1];
  const int frame = work[kLeadIn + 2];
  const long leadOutMinute = work[kLeadOut];
  const long leadOutSecond = work[kLeadOut + 1];
  const long leadOutFrame = work[kLeadOut + 2];
  if (minute == kAtipLeadInMinute) {
    const std::string leadOutTime = LeadOutText(leadOutMinute, leadOutSecond, leadOutFrame);
    text = "unknown brand, " + leadOutTime;
    if (!rewritable) {
      for (const ManufacturerRow& row : ManufacturerTable) {
        if (Matches(row, seconds, frame)) {
          text = NamedType(row.name, frame % 10) + ", " + leadOutTime;
        }
      }
    } else {
      const long leadOut = leadOutMinute * 4500 + leadOutSecond * 75 + leadOutFrame;
      for (const RewritableMakerRow& row : RewritableMakerTable) {
        if (CodeMatches(seconds, frame, row.seconds, row.frame) &&
            (row.leadOutFrames == 0 || row.leadOutFrames == leadOut)) {
          text = NamedType(row.name, frame % 10) + ", " + leadOutTime;
        }
      }
    }
  }
  const int speed = (work[kA1] & 0x0F) * 2;
  if (speed > 0 && rewritable) text += " - " + std::to_string(speed) + "X RW";
  return text;
}

}  // namespace korvel::utilities
