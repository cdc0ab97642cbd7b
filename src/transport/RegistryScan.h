// The Windows 9x registry scan: the maker's drives that Configuration Manager has enumerated,
// each with its drive letter, target ID and (found by INQUIRY) host adapter.
#pragma once

#include <cstdint>
#include <string>

#include "transport/ScsiTransport.h"

namespace korvel::transport {

// Fills RegistryDriveTable from HKEY_DYN_DATA\Config Manager\Enum. Drives beyond the table's 26
// entries, and entries whose hardware key or target ID cannot be used, are left out.
void ScanConfigManagerEnum(ScsiTransport& transport);

// The drive index of HKEY_LOCAL_MACHINE\Enum\SCSI\<deviceKey>\<instance> (0 when it has no
// drive letter). `target` gets its target ID when one is recorded: 0..15 for a hexadecimal
// digit, -1 for anything else; it is left alone when there is no drive letter.
int ReadEnumDriveLetter(ScsiTransport& transport, const std::string& deviceKey,
                        const std::string& instance, int& target);

}  // namespace korvel::transport
