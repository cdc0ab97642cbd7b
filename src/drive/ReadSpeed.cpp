#include "drive/ReadSpeed.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "drive/CommandsStandard.h"
#include "drive/ModeCompat.h"
#include "formats/BigEndian.h"

namespace korvel::drive {
namespace {

constexpr std::uint8_t kErrorRecoveryPage = 0x01;
constexpr std::uint8_t kCapabilitiesPage = 0x2A;
constexpr std::uint8_t kVendorSpeedPage = 0x31;

// Answers of ModeSenseCompat: 4-byte header and one block descriptor, the page from byte 12.
namespace capabilities_answer {
constexpr std::uint8_t kLength = 34;
constexpr std::size_t kCurrentReadSpeed = 26;   // page bytes 14..15, kB/s
constexpr std::size_t kCurrentWriteSpeed = 32;  // page bytes 20..21, kB/s
}  // namespace capabilities_answer
namespace vendor_speed_answer {
constexpr std::uint8_t kLength = 16;
constexpr std::size_t kSetting = 14;  // page byte 2
}  // namespace vendor_speed_answer

// MODE SELECT parameter lists: 4-byte header without block descriptor, then the page.
namespace vendor_speed_list {
constexpr std::array<std::uint8_t, 8> kTemplate = {0x00, 0x00, 0x00, 0x00, kVendorSpeedPage,
                                                   0x02, 0x00, 0x00};
constexpr std::size_t kSetting = 6;  // page byte 2
}  // namespace vendor_speed_list
namespace error_recovery_list {
constexpr std::array<std::uint8_t, 12> kTemplate = {
    0x00, 0x00, 0x00, 0x00, kErrorRecoveryPage, 0x06, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00};
constexpr std::size_t kPageByte5 = 9;
}  // namespace error_recovery_list

// The one speed code that type 10 takes differently.
constexpr int kType10StartingCode = 3;
// SelectSpeedSetting and SetReadSpeedStep hand these models setting + 16 as the speed code;
// SetSpeedByCode keeps only the low 4 bits.
constexpr int kSpeedCodeOffset = 16;
constexpr int kSpeedCodeMask = 0x0F;
// Type 17's spaced names: every step below this one is named as it.
constexpr int kType17LowestNamedStep = 2;
// Type 3's step 3 is named by its "max" name, the generic table's step 6.
constexpr int kType3MaxStep = 3;
constexpr char kUnknownName[] = "unknown";
constexpr char kUnnamedStep[] = "???";
constexpr char kMaxMarker[] = "max";
constexpr char kResMarker[] = "res";

bool IsOneOf(DriveType type, std::initializer_list<DriveType> types) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

bool HasSpeedTable(DriveType type) {
  return type >= 0 && type < kSpeedTypes;
}

std::uint8_t StepCount(DriveType type) {
  return SpeedCountTable[static_cast<std::size_t>(type)];
}

template <std::size_t N>
std::uint8_t IndexOfRate(const std::array<RateIndex, N>& table, std::uint64_t rate) {
  for (const RateIndex& entry : table) {
    if (entry.rate == rate) return entry.index;
  }
  return kOtherSpeedIndex;
}

void SetText(SpeedName& text, const char* value) {
  text = {};
  std::strncpy(text.data(), value, kSpeedNameSize - 1);
}

bool EqualIgnoringLetterCase(const SpeedName& name, const char* marker) {
  std::size_t i = 0;
  for (; i < kSpeedNameSize && name[i] != '\0' && marker[i] != '\0'; ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(name[i]) != lower(marker[i])) return false;
  }
  return i < kSpeedNameSize && name[i] == '\0' && marker[i] == '\0';
}

// Reads page 0x2A and returns the big-endian speed at `offset` of the answer; zeroed first so a
// failed command leaves a speed of 0 (index 4), never stale bytes.
std::int32_t CapabilitiesSpeed(const SpeedDrive& drive, std::size_t offset, std::uint64_t& rate) {
  std::array<std::uint8_t, capabilities_answer::kLength> answer{};
  const std::int32_t status =
      ModeSenseCompat(drive.transport, drive.adapter, drive.target, kCapabilitiesPage,
                      capabilities_answer::kLength, answer.data());
  rate = formats::GetBigEndian(&answer[offset], 2);
  return status;
}

// Both name routines; `spaced` chooses the table form and type 17's rule for low steps.
void SpeedNameOf(const SpeedDrive& drive, int step, SpeedName& text, bool spaced) {
  const DriveType type = drive.Type();
  SetText(text, kUnknownName);
  if (!HasSpeedTable(type)) return;
  if (spaced && type == 17 && step < kType17LowestNamedStep) step = kType17LowestNamedStep;
  SetText(text, kUnnamedStep);
  if (step < 0) return;
  step = std::min<int>(step, StepCount(type) - 1);

  const auto pick = [&](const auto& table) {
    text = spaced ? table.spaced[static_cast<std::size_t>(step)]
                  : table.compact[static_cast<std::size_t>(step)];
  };
  if (type == 10) return pick(Type10SpeedNames);
  if (IsOneOf(type, {13, 15, 16})) return pick(Type13SpeedNames);
  if (IsOneOf(type, {18, 19})) return pick(Type18SpeedNames);

  if (type == 3 && step == kType3MaxStep) step = kSpeedSteps - 1;
  pick(GenericSpeedNames);
  const auto row = static_cast<std::size_t>(type);
  if (EqualIgnoringLetterCase(text, kMaxMarker)) {
    text = spaced ? MaxSpeedNames.spaced[row] : MaxSpeedNames.compact[row];
  } else if (EqualIgnoringLetterCase(text, kResMarker)) {
    text = spaced ? ResSpeedNames.spaced[row] : ResSpeedNames.compact[row];
  }
}

}  // namespace

std::int32_t CurrentReadSpeedIndex(const SpeedDrive& drive, std::uint8_t& index) {
  std::uint64_t rate = 0;
  const std::int32_t status =
      CapabilitiesSpeed(drive, capabilities_answer::kCurrentReadSpeed, rate);
  index = IndexOfRate(ReadSpeedIndexTable, rate);
  return status;
}

std::int32_t CurrentWriteSpeedIndex(const SpeedDrive& drive, std::uint8_t& index) {
  std::uint64_t rate = 0;
  const std::int32_t status =
      CapabilitiesSpeed(drive, capabilities_answer::kCurrentWriteSpeed, rate);
  index = IndexOfRate(WriteSpeedIndexTable, rate);
  return status;
}

std::int32_t CurrentWriteSpeedName(const SpeedDrive& drive, SpeedName& text) {
  std::uint8_t index = kOtherSpeedIndex;
  const std::int32_t status = CurrentWriteSpeedIndex(drive, index);
  text = WriteSpeedNames[index];
  return status;
}

std::int32_t ReadSpeedSetting(const SpeedDrive& drive, std::uint8_t& setting) {
  const DriveType type = drive.Type();
  if (!HasSpeedTable(type)) return kStatusNoSpeedTable;
  std::int32_t status = 0;
  if (IsOneOf(type, {10, 13, 15, 16, 18, 19})) {
    status = CurrentReadSpeedIndex(drive, setting);
  } else {
    std::array<std::uint8_t, vendor_speed_answer::kLength> answer{};
    status = ModeSenseCompat(drive.transport, drive.adapter, drive.target, kVendorSpeedPage,
                             vendor_speed_answer::kLength, answer.data());
    setting = answer[vendor_speed_answer::kSetting];
  }
  // A setting the type does not have reads as its last; the code table is indexed by it.
  setting = std::min<std::uint8_t>(setting, StepCount(type) - 1);
  return status;
}

std::int32_t GetReadSpeedStep(const SpeedDrive& drive, std::uint8_t& step) {
  step = kUnknownSpeedStep;
  const DriveType type = drive.Type();
  if (!HasSpeedTable(type)) return kStatusNoSpeedTable;
  std::uint8_t setting = 0;
  const std::int32_t status = IsOneOf(type, {10, 11, 13, 15, 16, 18, 19})
                                  ? CurrentReadSpeedIndex(drive, setting)
                                  : ReadSpeedSetting(drive, setting);
  if (status == 1) step = SpeedCodeTable[static_cast<std::size_t>(type)][setting];
  return status;
}

std::int32_t SetReadSpeedStep(const SpeedDrive& drive, int step) {
  const DriveType type = drive.Type();
  if (!HasSpeedTable(type)) return kStatusNoSpeedTable;
  const SpeedRow& codes = SpeedCodeTable[static_cast<std::size_t>(type)];
  // The first setting 0..5 that stands for the step; the last setting when none does.
  int setting = 0;
  while (setting < kSpeedSteps - 1 && codes[static_cast<std::size_t>(setting)] != step) ++setting;
  if (IsOneOf(type, {10, 11})) return SetSpeedByCode(drive, setting);
  if (IsOneOf(type, {13, 15, 16, 18})) return SetSpeedByCode(drive, setting + kSpeedCodeOffset);
  return SelectSpeedSetting(drive, setting);
}

std::int32_t SelectSpeedSetting(const SpeedDrive& drive, int setting) {
  std::array<std::uint8_t, vendor_speed_list::kTemplate.size()> list = vendor_speed_list::kTemplate;
  const DriveType type = drive.Type();
  if (type == 10) return SetSpeedByCode(drive, setting);
  if (IsOneOf(type, {13, 15, 16, 18, 19})) return SetSpeedByCode(drive, setting + kSpeedCodeOffset);
  // The vendor page is the maker's; a device of no known model does not get it.
  if (!HasSpeedTable(type)) return kStatusNoSpeedTable;
  list[vendor_speed_list::kSetting] = static_cast<std::uint8_t>(setting);
  return ModeSelectCompat(drive.transport, drive.adapter, drive.target,
                          static_cast<std::uint8_t>(list.size()), list.data());
}

std::int32_t SetSpeedByCode(const SpeedDrive& drive, int code) {
  std::array<std::uint8_t, error_recovery_list::kTemplate.size()> list =
      error_recovery_list::kTemplate;
  const DriveType type = drive.Type();
  code &= kSpeedCodeMask;
  std::uint16_t rate = SpeedCodeRateTable[static_cast<std::size_t>(code)];
  if (type == 10) {
    if (code == kType10StartingCode) {
      list[error_recovery_list::kPageByte5] = 0;
      rate = kType10StartingRate;
    }
    const std::int32_t status =
        ModeSelectCompat(drive.transport, drive.adapter, drive.target,
                         static_cast<std::uint8_t>(list.size()), list.data());
    if (status != 1) return status;
  }
  return SetCdSpeed(drive.transport, drive.adapter, drive.target, rate, kFastestRate);
}

void ListReadSpeedSteps(const SpeedDrive& drive, SpeedStepList& list, int& count) {
  count = 0;
  const DriveType type = drive.Type();
  if (!HasSpeedTable(type)) return;
  const SpeedRow& multipliers = SpeedMultiplierTable[static_cast<std::size_t>(type)];
  for (int step = 0; step < StepCount(type); ++step) {
    if (multipliers[static_cast<std::size_t>(step)] != 0) {
      list[static_cast<std::size_t>(count++)] = static_cast<std::uint8_t>(step);
    }
  }
}

void ReadSpeedName(const SpeedDrive& drive, int step, SpeedName& text) {
  SpeedNameOf(drive, step, text, true);
}

void ReadSpeedNameCompact(const SpeedDrive& drive, int step, SpeedName& text) {
  SpeedNameOf(drive, step, text, false);
}

}  // namespace korvel::drive
