// Read speed selection on the maker's drives. The families differ: some take a setting in the
// vendor mode page 0x31, others a speed in kB/s through SET CD SPEED, and they report their speed
// in page 0x31 or in the capabilities page 0x2A. Speed steps (0..6, indexes into the per-model
// tables of SpeedTables.h) hide the difference. Every routine asks the drive's model afresh (one
// INQUIRY) and returns the status of the last command it sent (1 = success) unless said
// otherwise.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "drive/Identification.h"
#include "drive/SpeedTables.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive {

// The step GetReadSpeedStep reports when its command failed.
inline constexpr std::uint8_t kUnknownSpeedStep = 255;
// What a routine that needs a model's table row returns, having sent nothing after its INQUIRY,
// for a drive of no known model (DriveType outside 0..19): another maker's device or a product in
// no row. No back end reports this value.
inline constexpr std::int32_t kStatusNoSpeedTable = -3;

// How a routine learns the drive's model. DriveTypeOf normally; a test or tool can hand its own
// question to reach models that the product table does not name (the mode page adapters below
// still ask DriveTypeOf, which only tells type 18 from the rest).
using DriveTypeQuery =
    std::function<DriveType(transport::ScsiTransport&, std::uint8_t, std::uint8_t)>;

// The drive a speed routine works on.
struct SpeedDrive {
  SpeedDrive(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
             DriveTypeQuery typeOf = DriveTypeOf)
      : transport(transport), adapter(adapter), target(target), typeOf(std::move(typeOf)) {}
  DriveType Type() const { return typeOf(transport, adapter, target); }

  transport::ScsiTransport& transport;
  std::uint8_t adapter;
  std::uint8_t target;
  DriveTypeQuery typeOf;
};

using SpeedStepList = std::array<std::uint8_t, kSpeedSteps>;

// The current speed step, or 255 when the command failed.
std::int32_t GetReadSpeedStep(const SpeedDrive& drive, std::uint8_t& step);
// Asks for `step`; a step the type does not list falls to the last drive speed setting (6).
std::int32_t SetReadSpeedStep(const SpeedDrive& drive, int step);
// The steps the type offers, in ascending order; none for a drive of no known model.
void ListReadSpeedSteps(const SpeedDrive& drive, SpeedStepList& list, int& count);
// The display name of a step, spaced ("4 X CLV") or compact ("4X CLV"). "unknown" for a drive of
// no known model; "???" for a negative step (but type 17's spaced names give every step below 2
// the name of step 2); a step beyond the type's last names the last.
void ReadSpeedName(const SpeedDrive& drive, int step, SpeedName& text);
void ReadSpeedNameCompact(const SpeedDrive& drive, int step, SpeedName& text);

// Puts a drive speed setting into effect, by page 0x31 or by speed code, as the model takes it.
std::int32_t SelectSpeedSetting(const SpeedDrive& drive, int setting);
// SET CD SPEED with the read speed of the low 4 bits of `code` (type 10: page 0x01 first).
std::int32_t SetSpeedByCode(const SpeedDrive& drive, int code);
// The drive speed setting, from page 0x31 or page 0x2A as the model reports it, never beyond the
// type's last step.
std::int32_t ReadSpeedSetting(const SpeedDrive& drive, std::uint8_t& setting);

// Page 0x2A's current read speed as an index 0..4 (stored even when the command failed).
std::int32_t CurrentReadSpeedIndex(const SpeedDrive& drive, std::uint8_t& index);
// Page 0x2A's current write speed as an index 0..4, and its name.
std::int32_t CurrentWriteSpeedIndex(const SpeedDrive& drive, std::uint8_t& index);
std::int32_t CurrentWriteSpeedName(const SpeedDrive& drive, SpeedName& text);

}  // namespace korvel::drive
