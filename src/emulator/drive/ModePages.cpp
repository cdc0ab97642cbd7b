#include "emulator/drive/ModePages.h"

#include <algorithm>

#include "emulator/drive/ChangeableFields.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

using formats::GetBigEndian;
using formats::PutBigEndian;
namespace layout = mode_layout;

constexpr std::uint32_t kUserDataBlock = 2048;
constexpr std::uint32_t kRawBlock = 2352;

}  // namespace

ModePageMap DefaultModePages() {
  ModePageMap pages;
  // Error recovery: read retry count 5.
  pages[kErrorRecoveryPage] = {0x01, 0x06, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00};
  // Capabilities: reads CD-R/RW, writes CD-R; 24x read (4234 kB/s), 8x write (1411 kB/s),
  // 2 MiB buffer; running at full speed.
  std::vector<std::uint8_t> caps(2 + kMinCapabilitiesPageLength, 0);
  caps[layout::kPageCode] = kCapabilitiesPage;
  caps[layout::kPageLength] = kMinCapabilitiesPageLength;
  caps[2] = 0x03;
  caps[3] = 0x01;
  caps[4] = 0x70;
  caps[5] = 0x71;
  caps[6] = 0x29;
  PutBigEndian(&caps[layout::kMaxReadSpeed], 4234, 2);
  PutBigEndian(&caps[10], 256, 2);   // volume levels
  PutBigEndian(&caps[12], 2048, 2);  // buffer size in KiB
  PutBigEndian(&caps[layout::kCurrentReadSpeed], 4234, 2);
  PutBigEndian(&caps[layout::kMaxWriteSpeed], 1411, 2);
  PutBigEndian(&caps[layout::kCurrentWriteSpeed], 1411, 2);
  pages[kCapabilitiesPage] = caps;
  // Write parameters, as a recorder keeps them before a host sets its own: track-at-once, a data
  // track recorded uninterrupted, mode 1 blocks, a 2-second audio pause.
  std::vector<std::uint8_t> write(2 + kWriteParametersPageLength, 0);
  write[layout::kPageCode] = kWriteParametersPage;
  write[layout::kPageLength] = kWriteParametersPageLength;
  write[2] = 0x01;
  write[3] = 0x04;
  write[4] = 0x08;
  PutBigEndian(&write[14], 150, 2);
  pages[kWriteParametersPage] = write;
  // Vendor speed page: setting 0.
  pages[kVendorSpeedPage] = {0x31, 0x02, 0x00, 0x00};
  return pages;
}

bool PageLengthAcceptable(std::uint8_t pageCode, std::size_t pageLength) {
  switch (pageCode) {
    case kErrorRecoveryPage:
      return pageLength == 6;
    case kCapabilitiesPage:
      return pageLength >= kMinCapabilitiesPageLength;
    case kVendorSpeedPage:
      return pageLength == 2;
    case kWriteParametersPage:
      return pageLength == kWriteParametersPageLength;
    default:
      return true;
  }
}

ModePageStore::ModePageStore(const ModePageMap& overrides, std::uint32_t blocks)
    : initial_(DefaultModePages()), blocks_(blocks), blockLength_(kUserDataBlock) {
  for (const auto& [code, page] : overrides) initial_[code] = page;
  current_ = initial_;
}

std::optional<std::vector<std::uint8_t>> ModePageStore::Pages(std::uint8_t pageCode,
                                                              PageControl control) const {
  const ModePageMap& source = control == PageControl::Default ? initial_ : current_;
  std::vector<std::uint8_t> bytes;
  for (const auto& [code, page] : source) {
    if (pageCode != layout::kAllPages && code != pageCode) continue;
    const std::vector<std::uint8_t> shown =
        control == PageControl::Changeable ? ChangeableMask(page) : page;
    bytes.insert(bytes.end(), shown.begin(), shown.end());
  }
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

std::optional<std::vector<std::uint8_t>> ModePageStore::Sense6(std::uint8_t pageCode,
                                                               PageControl control,
                                                               bool withBlockDescriptor) const {
  auto pages = Pages(pageCode, control);
  if (!pages) return std::nullopt;
  const std::size_t descriptorLength = withBlockDescriptor ? layout::kBlockDescriptorLength : 0;
  std::vector<std::uint8_t> answer(layout::kHeader6Length + descriptorLength, 0);
  answer[layout::kHeader6BlockDescriptorLength] = static_cast<std::uint8_t>(descriptorLength);
  if (withBlockDescriptor) {
    std::uint8_t* descriptor = &answer[layout::kHeader6Length];
    PutBigEndian(descriptor + layout::kBlockCount, std::min<std::uint32_t>(blocks_, 0xFFFFFF), 3);
    PutBigEndian(descriptor + layout::kBlockLength, blockLength_, 3);
  }
  answer.insert(answer.end(), pages->begin(), pages->end());
  // The mode data length counts the bytes after itself; one byte holds at most 255.
  answer[0] = static_cast<std::uint8_t>(std::min<std::size_t>(answer.size() - 1, 0xFF));
  return answer;
}

std::optional<std::vector<std::uint8_t>> ModePageStore::Sense10(std::uint8_t pageCode,
                                                                PageControl control) const {
  auto pages = Pages(pageCode, control);
  if (!pages) return std::nullopt;
  std::vector<std::uint8_t> answer(layout::kHeader10Length, 0);
  answer.insert(answer.end(), pages->begin(), pages->end());
  PutBigEndian(answer.data(), answer.size() - 2, 2);
  return answer;
}

std::optional<SenseCode> ModePageStore::Select(std::span<const std::uint8_t> list,
                                               bool tenByteHeader, const PageCheck& check) {
  if (list.empty()) return std::nullopt;
  const std::size_t headerLength = tenByteHeader ? layout::kHeader10Length : layout::kHeader6Length;
  if (list.size() < headerLength) return sense::kParameterListLengthError;
  const std::size_t descriptorLength =
      tenByteHeader ? GetBigEndian(&list[layout::kHeader10BlockDescriptorLength], 2)
                    : list[layout::kHeader6BlockDescriptorLength];
  if (descriptorLength != 0 && descriptorLength != layout::kBlockDescriptorLength) {
    return sense::kInvalidFieldInParameterList;
  }
  if (list.size() < headerLength + descriptorLength) return sense::kParameterListLengthError;

  std::uint32_t newBlockLength = blockLength_;
  if (descriptorLength != 0) {
    newBlockLength =
        static_cast<std::uint32_t>(GetBigEndian(&list[headerLength + layout::kBlockLength], 3));
    if (newBlockLength != kUserDataBlock && newBlockLength != kRawBlock) {
      return sense::kInvalidFieldInParameterList;
    }
  }
  ModePageMap changed = current_;
  std::size_t at = headerLength + descriptorLength;
  while (at < list.size()) {
    if (list.size() - at < 2) return sense::kParameterListLengthError;
    const std::uint8_t code = list[at + layout::kPageCode] & layout::kPageCodeMask;
    const std::size_t total = std::size_t{list[at + layout::kPageLength]} + 2;
    auto held = changed.find(code);
    if (held == changed.end() || held->second.size() != total) {
      return sense::kInvalidFieldInParameterList;
    }
    if (list.size() - at < total) return sense::kParameterListLengthError;
    const std::span<const std::uint8_t> sent = list.subspan(at, total);
    // A bit the drive does not let change must come back as it is, as SCSI asks of a drive.
    if (!ChangesOnlyChangeableBits(held->second, sent, ChangeableMask(held->second))) {
      return sense::kInvalidFieldInParameterList;
    }
    if (check && !check(code, sent)) return sense::kInvalidFieldInParameterList;
    // The drive keeps its own page code byte (with its saveable flag).
    std::copy_n(list.begin() + at + 1, total - 1, held->second.begin() + 1);
    at += total;
  }
  current_ = std::move(changed);
  blockLength_ = newBlockLength;
  return std::nullopt;
}

namespace {

// Puts a speed into the current-speed field, within the maximum beside it; 0xFFFF asks for the
// maximum.
void SetSpeedWithin(std::uint8_t* page, std::size_t current, std::size_t maximum,
                    std::uint16_t wanted) {
  const std::uint64_t limit = GetBigEndian(page + maximum, 2);
  PutBigEndian(page + current, wanted == 0xFFFF ? limit : std::min<std::uint64_t>(wanted, limit),
               2);
}

}  // namespace

void ModePageStore::SetCurrentSpeeds(std::uint16_t readKbps, std::uint16_t writeKbps) {
  auto caps = current_.find(kCapabilitiesPage);
  if (caps == current_.end()) return;
  SetSpeedWithin(caps->second.data(), layout::kCurrentReadSpeed, layout::kMaxReadSpeed, readKbps);
  SetSpeedWithin(caps->second.data(), layout::kCurrentWriteSpeed, layout::kMaxWriteSpeed,
                 writeKbps);
}

std::optional<std::uint8_t> ModePageStore::CurrentPageByte(std::uint8_t pageCode,
                                                           std::size_t offset) const {
  auto page = current_.find(pageCode);
  if (page == current_.end() || offset >= page->second.size()) return std::nullopt;
  return page->second[offset];
}

void ModePageStore::SetCurrentLockState(bool locked) {
  auto caps = current_.find(kCapabilitiesPage);
  if (caps == current_.end()) return;
  std::uint8_t& mechanism = caps->second[layout::kMechanism];
  mechanism = static_cast<std::uint8_t>(locked ? mechanism | layout::kLockStateBit
                                               : mechanism & ~layout::kLockStateBit);
}

void ModePageStore::SetCurrentReadSpeed(std::uint16_t readKbps) {
  auto caps = current_.find(kCapabilitiesPage);
  if (caps == current_.end()) return;
  SetSpeedWithin(caps->second.data(), layout::kCurrentReadSpeed, layout::kMaxReadSpeed, readKbps);
}

}  // namespace korvel::emulator
