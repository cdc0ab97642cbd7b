// The commands that a Korvel drive answers from the disc it holds: READ TOC, READ SUB-CHANNEL,
// SEEK(10), READ DISC INFORMATION, READ TRACK INFORMATION, READ CAPACITY and the reads. The
// drive remembers the block last sought or read, whose Q channel READ SUB-CHANNEL reports.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "emulator/Command.h"
#include "emulator/disc/Disc.h"
#include "emulator/disc/DiscLayout.h"
#include "emulator/disc/SectorSelection.h"

namespace korvel::emulator {

class DiscCommands {
 public:
  explicit DiscCommands(std::optional<Disc> disc) : disc_(std::move(disc)) {}

  bool HasDisc() const { return disc_.has_value(); }
  // Blocks the host can read; 0 without a disc and on a blank disc.
  std::uint32_t Capacity() const;

  CommandResult ReadToc(const Command& command) const;
  CommandResult ReadSubChannel(const Command& command) const;
  CommandResult Seek10(const Command& command);
  CommandResult ReadDiscInformation(const Command& command) const;
  CommandResult ReadTrackInformation(const Command& command) const;
  CommandResult ReadCapacity(const Command& command) const;
  // READ(6) and READ(10) in the drive's block length: 2048 bytes of user data, or whole
  // 2352-byte sectors; audio blocks only in the latter.
  CommandResult ReadBlocks(const Command& command, std::uint32_t lba, std::uint32_t count,
                           std::size_t blockLength);
  CommandResult ReadCd(const Command& command);

 private:
  using Selector = std::function<SectorSelection(TrackMode)>;
  using ModeCheck = std::function<bool(TrackMode)>;
  // Sends `count` blocks from `lba`, each as `selector` picks its bytes, as far as the host's
  // buffer reaches; refuses the whole command when a block is beyond the disc, between sessions
  // or of a mode that `accepts` refuses.
  CommandResult SendSectors(const Command& command, std::uint32_t lba, std::uint32_t count,
                            const Selector& selector, const ModeCheck& accepts);
  // The sense that refuses a command needing a readable disc, if any.
  std::optional<SenseCode> NotReadable() const;
  DiscLayout Layout() const { return DiscLayout(*disc_); }

  std::optional<Disc> disc_;
  std::int32_t position_ = 0;
};

}  // namespace korvel::emulator
