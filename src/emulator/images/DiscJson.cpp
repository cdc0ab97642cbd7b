#include "emulator/images/DiscJson.h"

#include <charconv>

#include "emulator/ConfigError.h"
#include "emulator/JsonFields.h"
#include "emulator/disc/CdText.h"
#include "emulator/disc/DiscBuilder.h"
#include "emulator/disc/DiscCodes.h"
#include "emulator/disc/DiscTime.h"
#include "emulator/images/ImageDiscJson.h"

namespace korvel::emulator {
namespace {

using nlohmann::json;
using namespace json_fields;

constexpr std::uint8_t kMaxSpeedCode = 0x0F;

// Runs a builder step; its fault gets the key path of what asked for it.
template <typename Step>
void Build(const std::string& path, Step step) {
  try {
    step();
  } catch (const ConfigError& error) {
    Fail(path, error.what());
  }
}

// "MM:SS:FF", minutes 0..99, seconds 0..59, frames 0..74.
Msf ReadMsf(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  const auto bad = [&] { Fail(path, "expected a time \"MM:SS:FF\", got \"" + text + "\""); };
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') bad();
  std::array<unsigned, 3> parts{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const char* first = text.data() + i * 3;
    const auto [end, error] = std::from_chars(first, first + 2, parts[i]);
    if (error != std::errc() || end != first + 2) bad();
  }
  if (parts[1] > 59) Fail(path, "seconds run from 00 to 59");
  if (parts[2] > 74) Fail(path, "frames run from 00 to 74");
  return {static_cast<std::uint8_t>(parts[0]), static_cast<std::uint8_t>(parts[1]),
          static_cast<std::uint8_t>(parts[2])};
}

Atip ReadAtip(const json& value, const std::string& path) {
  RequireObject(value, path);
  RequireKnownKeys(value, path, {"lead_in", "lead_out", "rewritable", "speed_code"});
  Atip atip;
  if (value.contains("lead_in")) {
    atip.leadIn = ReadMsf(value["lead_in"], Join(path, "lead_in"));
    if (atip.leadIn.minute < 90) {
      Fail(Join(path, "lead_in"), "a lead-in starts before block 0, at minute 90 or later");
    }
  }
  if (value.contains("lead_out")) {
    atip.leadOut = ReadMsf(value["lead_out"], Join(path, "lead_out"));
    if (atip.leadOut.minute >= 90) Fail(Join(path, "lead_out"), "must lie before minute 90");
  }
  if (value.contains("rewritable")) {
    atip.rewritable = ReadBool(value["rewritable"], Join(path, "rewritable"));
  }
  if (value.contains("speed_code")) {
    atip.speedCode = static_cast<std::uint8_t>(
        ReadUnsigned(value["speed_code"], Join(path, "speed_code"), kMaxSpeedCode));
  }
  return atip;
}

TrackMode ReadTrackMode(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  if (text == "audio") return TrackMode::Audio;
  if (text == "mode1") return TrackMode::Mode1;
  if (text == "mode2") return TrackMode::Mode2Xa;
  Fail(path, "expected \"audio\", \"mode1\" or \"mode2\", got \"" + text + "\"");
}

// A code of the Q channel as `fault` (DiscCodes.h) checks it.
std::string ReadCode(const json& value, const std::string& path,
                     std::optional<std::string> (*fault)(std::string_view)) {
  const std::string& text = ReadString(value, path);
  if (auto why = fault(text)) Fail(path, *why);
  return text;
}

std::int32_t ReadBlockCount(const json& value, const std::string& path) {
  return static_cast<std::int32_t>(ReadUnsigned(value, path, kMaxLeadOut));
}

void ReadTrack(const json& value, const std::string& path, bool firstOfLaterSession, Disc& disc) {
  RequireObject(value, path);
  RequireKnownKeys(value, path,
                   {"mode", "blocks", "pregap", "title", "performer", "packet", "isrc"});
  if (!value.contains("blocks")) Fail(Join(path, "blocks"), "required");
  const std::int32_t blocks = ReadBlockCount(value["blocks"], Join(path, "blocks"));
  if (blocks == 0) Fail(Join(path, "blocks"), "a track holds at least one block");
  const TrackMode mode =
      value.contains("mode") ? ReadTrackMode(value["mode"], Join(path, "mode")) : TrackMode::Mode1;
  const std::int32_t pregap = value.contains("pregap")
                                  ? ReadBlockCount(value["pregap"], Join(path, "pregap"))
                                  : (firstOfLaterSession ? kSessionPregapBlocks : 0);
  DiscTrack* track = nullptr;
  Build(path, [&] { track = &AppendTrack(disc, mode, blocks, pregap); });
  if (value.contains("title")) track->title = ReadCdTextString(value["title"], Join(path, "title"));
  if (value.contains("performer")) {
    track->performer = ReadCdTextString(value["performer"], Join(path, "performer"));
  }
  if (value.contains("packet")) track->packet = ReadBool(value["packet"], Join(path, "packet"));
  if (value.contains("isrc")) track->isrc = ReadCode(value["isrc"], Join(path, "isrc"), IsrcFault);
}

Disc ReadDescribedDisc(const json& value, const std::string& path) {
  RequireKnownKeys(value, path, {"sessions", "title", "performer", "catalog"}, kDiscModifierKeys);
  const std::string sessionsPath = Join(path, "sessions");
  const json& sessions = value["sessions"];
  RequireList(sessions, sessionsPath);
  if (sessions.empty()) Fail(sessionsPath, "a disc holds at least one session");
  Disc disc;
  for (std::size_t s = 0; s < sessions.size(); ++s) {
    const std::string sessionPath = At(sessionsPath, s);
    const json& session = sessions[s];
    RequireObject(session, sessionPath);
    RequireKnownKeys(session, sessionPath, {"tracks"});
    Build(sessionPath, [&] { AppendSession(disc); });
    const std::string tracksPath = Join(sessionPath, "tracks");
    if (!session.contains("tracks")) Fail(tracksPath, "required");
    const json& tracks = session["tracks"];
    RequireList(tracks, tracksPath);
    if (tracks.empty()) Fail(tracksPath, "a session holds at least one track");
    for (std::size_t t = 0; t < tracks.size(); ++t) {
      ReadTrack(tracks[t], At(tracksPath, t), s > 0 && t == 0, disc);
    }
  }
  if (value.contains("title")) disc.title = ReadCdTextString(value["title"], Join(path, "title"));
  if (value.contains("performer")) {
    disc.performer = ReadCdTextString(value["performer"], Join(path, "performer"));
  }
  if (value.contains("catalog")) {
    disc.catalog = ReadCode(value["catalog"], Join(path, "catalog"), CatalogFault);
  }
  const std::size_t packs = CdTextPacks(disc).size() / cd_text_layout::kPackSize;
  if (packs > kMaxCdTextPacks) {
    Fail(path, "the CD-TEXT needs " + std::to_string(packs) + " packs; a disc holds at most " +
                   std::to_string(kMaxCdTextPacks));
  }
  return disc;
}

Disc ReadBlocksDisc(const json& value, const std::string& path) {
  RequireKnownKeys(value, path, {"blocks"}, kDiscModifierKeys);
  const std::int32_t blocks = ReadBlockCount(value["blocks"], Join(path, "blocks"));
  if (blocks == 0) Fail(Join(path, "blocks"), "a disc holds at least one block");
  Disc disc;
  Build(Join(path, "blocks"), [&] { AppendTrack(disc, TrackMode::Mode1, blocks, 0); });
  return disc;
}

}  // namespace

std::string ReadCdTextString(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  if (text.size() > kMaxCdTextLength) {
    Fail(path, "longer than " + std::to_string(kMaxCdTextLength) + " characters");
  }
  for (char c : text) {
    if (c < 0x20 || c > 0x7E) Fail(path, "CD-TEXT takes printable ASCII characters only");
  }
  return text;
}

void ReadDiscModifiers(const json& value, const std::string& path, Disc& disc) {
  if (value.contains("atip")) disc.atip = ReadAtip(value["atip"], Join(path, "atip"));
  if (value.contains("blank")) disc.blank = ReadBool(value["blank"], Join(path, "blank"));
  if (value.contains("appendable")) {
    disc.appendable = ReadBool(value["appendable"], Join(path, "appendable"));
  }
  if (disc.blank && disc.appendable) {
    Fail(Join(path, "appendable"), "a blank disc has no closed session to append to");
  }
  if (disc.blank && disc.sessions.size() > 1) {
    Fail(Join(path, "blank"), "a blank disc has only its one open session");
  }
  // Only a recordable disc can be blank or take another session.
  if ((disc.blank || disc.appendable) && !disc.atip) disc.atip = Atip{};
  if (disc.atip && !disc.sessions.empty()) {
    const std::int32_t lastLeadOut = disc.sessions.back().leadOut;
    if (BlockOfMsf(disc.atip->leadOut) < lastLeadOut) {
      Fail(Join(path, "atip"), "the disc's last lead-out (block " + std::to_string(lastLeadOut) +
                                   ") lies beyond the ATIP lead-out");
    }
  }
}

std::optional<Disc> ReadDisc(const json& value, const std::string& path,
                             const std::filesystem::path& baseDirectory) {
  if (value.is_null()) return std::nullopt;
  RequireObject(value, path);
  Disc disc;
  if (NamesDiscImage(value)) {
    disc = ReadImageDisc(value, path, baseDirectory);
    ReadDiscModifiers(value, path, disc);
    return disc;
  }
  if (value.contains("blocks") && value.contains("sessions")) {
    Fail(path, "give either blocks or sessions");
  }
  if (value.contains("blocks")) {
    disc = ReadBlocksDisc(value, path);
  } else if (value.contains("sessions")) {
    disc = ReadDescribedDisc(value, path);
  } else {
    RequireKnownKeys(value, path, {}, kDiscModifierKeys);
    if (!(value.contains("blank") && ReadBool(value["blank"], Join(path, "blank")))) {
      Fail(path, "give blocks or sessions, or blank: true for an empty disc");
    }
  }
  ReadDiscModifiers(value, path, disc);
  return disc;
}

}  // namespace korvel::emulator
