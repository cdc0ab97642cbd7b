// Every text the dialog's logic writes to the status line, and the formatting of those that
// carry values. Users and scripts match these texts, so they are kept exactly, spelling
// included.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace korvel::upgrade {

inline constexpr char kNoTransportText[] = "ERROR: ASPI Layer for Win32 is not initialized!";
inline constexpr char kNoTransportCaption[] = "ERROR!";

inline constexpr char kSelectFileText[] = "Please select an upgrade file for this drive.";
inline constexpr char kNotUpgradableText[] = "!! No upgradable Korvel device is selected !!";

inline constexpr char kNotValidFileText[] =
    "! This file is not a valid upgrade file for this drive !";
inline constexpr char kFileReadErrorText[] = "! This file could not be read !";

inline constexpr char kUpgradeInProgressText[] = "Please wait: upgrade in progress !";
inline constexpr char kUpgradeSucceededText[] = "!! Upgrade finished succesfully !!";
inline constexpr char kNoFileLoadedText[] =
    "!! ERROR: No upgrade file is loaded! (please load the file again)";
inline constexpr char kRehearsalDoneText[] =
    "!! Dry run finished: the file was read through, nothing was written to the drive !!";
inline constexpr char kSenseUnavailableText[] =
    "!! ERROR: Upgrade failed! (the drive gave no sense data)";

inline constexpr char kUnknownFirmwareVersion[] = "???";

// The four sense bytes the failure report shows: response code, sense key byte, ASC, ASCQ.
using SenseReport = std::array<std::uint8_t, 4>;

// "Checksum error: %X <-> %X", computed value first.
std::string ChecksumErrorText(std::uint16_t computed, std::uint16_t stored);

// "Valid upgrade file loaded: %s" with the file's name, without its folder.
std::string ValidFileText(std::string_view path);

// "!! ERROR: Upgrade failed! (sense %02X %02X %02X %02X)".
std::string UpgradeFailedText(const SenseReport& sense);

// The transfer stopped because the file could not be read further; the drive's sense follows.
std::string TransferReadErrorText(const SenseReport& sense);

// The file could not be opened when Upgrade was pressed; `error` is the file system's reason.
std::string CannotOpenFileText(platform::DWORD error);

// The part of a path after its last backslash or slash (the whole path when it holds none).
std::string_view FileNameOf(std::string_view path);

}  // namespace korvel::upgrade
