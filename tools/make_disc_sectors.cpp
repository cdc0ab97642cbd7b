// korvel-disc-sectors: the sectors of the sample disc images that no Debian tool writes: audio
// tones as CD audio blocks, and an ISO 9660 image turned into raw mode 1 or mode 2 form 1
// sectors. Its output is the same on every run, so the sample discs are too.
#include <CLI/CLI.hpp>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "input_file.h"
#include "machine/EmptyOptionValue.h"
#include "machine/PrintableText.h"
#include "output_file.h"
#include "raw_sectors.h"
#include "replacing_file.h"

namespace {

constexpr std::size_t kAudioBlockSize = 2352;
constexpr std::size_t kSamplesPerBlock = kAudioBlockSize / 4;  // 16-bit stereo
constexpr double kSampleRate = 44100;
constexpr int kExitFailed = 1;

// `blocks` blocks of a sine tone at `hertz`, 16-bit little-endian samples, the same on both
// channels, at a third of full scale.
bool WriteTone(const std::string& path, std::uint32_t blocks, double hertz) {
  korvel::tools::ReplacingFile file(path);
  std::ofstream& out = file.stream();
  std::array<char, kAudioBlockSize> block{};
  std::uint64_t sample = 0;
  for (std::uint32_t b = 0; b < blocks; ++b) {
    for (std::size_t s = 0; s < kSamplesPerBlock; ++s, ++sample) {
      const double phase = 2 * std::numbers::pi * hertz * static_cast<double>(sample) / kSampleRate;
      const auto value = static_cast<std::int16_t>(std::lround(std::sin(phase) * 10922));
      const auto bits = static_cast<std::uint16_t>(value);
      for (std::size_t channel = 0; channel < 2; ++channel) {
        block[s * 4 + channel * 2] = static_cast<char>(bits & 0xFF);
        block[s * 4 + channel * 2 + 1] = static_cast<char>(bits >> 8);
      }
    }
    out.write(block.data(), block.size());
  }
  return file.Commit();
}

constexpr std::size_t kUserBytes = 2048;
// The last address a sector of a 100-minute disc can have: 99:59:74 less the 2-second pre-gap.
constexpr std::uint32_t kLastAddress = 449849;
constexpr int kExitBadInput = 2;

void Complain(const std::string& text) {
  std::cerr << "korvel-disc-sectors: " << text << '\n';
}

std::string Printable(const std::string& text) {
  return korvel::machine::PrintableText(text);
}

// `sectors` sectors of 2048 bytes from `input` as raw sectors from `start` on; the exit status.
// The input is opened before the output is replaced, so that an input that cannot be read costs
// no file.
int WriteRaw(const std::string& input, const std::string& output, int mode, std::uint32_t start,
             std::uint64_t sectors) {
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    Complain("cannot read " + Printable(input) + ": " + std::strerror(errno));
    return kExitBadInput;
  }
  korvel::tools::ReplacingFile file(output);
  std::ofstream& out = file.stream();
  if (!out) {
    Complain("cannot write " + Printable(output) + ": " + korvel::tools::LastWriteError());
    return kExitFailed;
  }
  std::array<std::uint8_t, kUserBytes> user{};
  std::array<std::uint8_t, 2352> sector{};
  const auto rawMode =
      mode == 1 ? korvel::tools::RawSectorMode::Mode1 : korvel::tools::RawSectorMode::Mode2Form1;
  for (std::uint64_t n = 0; n < sectors; ++n) {
    if (!in.read(reinterpret_cast<char*>(user.data()), user.size())) {
      // It was a whole number of sectors when it was looked at; it changed while it was read.
      Complain(Printable(input) + " ended inside sector " + std::to_string(n) +
               " while it was read");
      return kExitFailed;
    }
    korvel::tools::BuildRawSector(rawMode, static_cast<std::uint32_t>(start + n), user, sector);
    if (!out.write(reinterpret_cast<const char*>(sector.data()), sector.size())) break;
  }
  if (!file.Commit()) {
    Complain("cannot write " + Printable(output) + ": " + korvel::tools::LastWriteError());
    return kExitFailed;
  }
  return 0;
}

// The input of raw checked before anything is written: how many sectors it holds, or nothing
// once the reason has been said.
std::optional<std::uint64_t> RawInputSectors(const std::string& input, const std::string& output,
                                             std::uint32_t start) {
  if (const std::string refusal = korvel::tools::InputRefusal(input); !refusal.empty()) {
    Complain("cannot read " + Printable(input) + ": " + refusal);
    return std::nullopt;
  }
  if (korvel::tools::IsSameFile(input, output)) {
    Complain("the output " + Printable(output) + " is the same file as the input " +
             Printable(input) + "; name another file");
    return std::nullopt;
  }
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(input, error);
  if (error) {
    Complain("cannot read " + Printable(input) + ": " + error.message());
    return std::nullopt;
  }
  if (size == 0 || size % kUserBytes != 0) {
    Complain(Printable(input) + " holds " + std::to_string(size) +
             " bytes, not a whole number of 2048-byte sectors");
    return std::nullopt;
  }
  const std::uint64_t sectors = size / kUserBytes;
  if (sectors - 1 > kLastAddress - start) {
    Complain(Printable(input) + " holds " + std::to_string(sectors) + " sectors; from --start " +
             std::to_string(start) + " they run past " + std::to_string(kLastAddress) +
             ", the last address of a disc");
    return std::nullopt;
  }
  return sectors;
}

// The tone's frequency: a finite number in the audible range, or nothing.
std::optional<double> ParseHertz(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  if (value < 20 || value > 20000) return std::nullopt;
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Writes sectors of the sample disc images (a developer and test tool)."};
  app.require_subcommand(1);
  std::string output;
  std::uint32_t blocks = 0;
  std::string hertzText = "440";
  auto* tone = app.add_subcommand("tone", "blocks of CD audio holding a sine tone");
  tone->add_option("output", output, "the file to write")
      ->required()
      ->check(korvel::tools::NonEmptyName());
  tone->add_option("--blocks", blocks, "how many 2352-byte blocks (75 a second)")
      ->required()
      ->check(CLI::Range(1, 450000));
  tone->add_option("--hertz", hertzText, "the tone's frequency, from 20 to 20000 (440)")
      ->type_name("HERTZ");
  std::string input;
  int mode = 1;
  std::uint32_t start = 0;
  auto* raw = app.add_subcommand("raw", "an ISO 9660 image as raw 2352-byte sectors");
  raw->add_option("input", input, "the image of 2048-byte sectors")
      ->required()
      ->check(korvel::tools::NonEmptyName());
  raw->add_option("output", output, "the file to write")
      ->required()
      ->check(korvel::tools::NonEmptyName());
  raw->add_option("--mode", mode, "1 (mode 1) or 2 (mode 2 form 1, XA)")
      ->check(CLI::IsMember({1, 2}));
  raw->add_option("--start", start, "the disc address of the first sector")
      ->check(CLI::Range(0u, kLastAddress));
  if (const std::string_view empty = korvel::machine::EmptyOptionValue(argc, argv);
      !empty.empty()) {
    Complain(Printable(std::string(empty)) + " gives an empty value");
    return kExitBadInput;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // The parser's messages quote the arguments it refused, which may hold anything. Help and
    // the version end well; every other parse failure is bad usage.
    std::ostringstream message;
    const int code = app.exit(error, std::cout, message);
    std::cerr << korvel::machine::PrintableLines(message.str());
    return code == 0 ? 0 : kExitBadInput;
  }
  std::optional<double> hertz;
  if (tone->parsed() && !(hertz = ParseHertz(hertzText))) {
    Complain("--hertz takes a frequency from 20 to 20000, not \"" + Printable(hertzText) + "\"");
    return kExitBadInput;
  }
  if (const std::string refusal = korvel::tools::OutputRefusal(output); !refusal.empty()) {
    Complain("cannot write " + Printable(output) + ": " + refusal);
    return kExitFailed;
  }
  if (tone->parsed()) {
    if (!WriteTone(output, blocks, *hertz)) {
      Complain("cannot write " + Printable(output));
      return kExitFailed;
    }
    return 0;
  }
  const std::optional<std::uint64_t> sectors = RawInputSectors(input, output, start);
  if (!sectors) return kExitBadInput;
  return WriteRaw(input, output, mode, start, *sectors);
}
