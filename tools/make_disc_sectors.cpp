// korvel-disc-sectors: the sectors of the sample disc images that no Debian tool writes: audio
// tones as CD audio blocks, and an ISO 9660 image turned into raw mode 1 or mode 2 form 1
// sectors. Its output is the same on every run, so the sample discs are too.
#include <CLI/CLI.hpp>

#include <array>
#include <cmath>
#include <fstream>
#include <iostream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "machine/PrintableText.h"
#include "output_file.h"
#include "raw_sectors.h"

namespace {

constexpr std::size_t kAudioBlockSize = 2352;
constexpr std::size_t kSamplesPerBlock = kAudioBlockSize / 4;  // 16-bit stereo
constexpr double kSampleRate = 44100;
constexpr int kExitFailed = 1;

// `blocks` blocks of a sine tone at `hertz`, 16-bit little-endian samples, the same on both
// channels, at a third of full scale.
bool WriteTone(const std::string& path, std::uint32_t blocks, double hertz) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
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
  return static_cast<bool>(out);
}

bool WriteRaw(const std::string& input, const std::string& output, int mode, std::uint32_t start) {
  std::ifstream in(input, std::ios::binary);
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  if (!in || !out) return false;
  std::array<std::uint8_t, 2048> user{};
  std::array<std::uint8_t, 2352> sector{};
  const auto rawMode =
      mode == 1 ? korvel::tools::RawSectorMode::Mode1 : korvel::tools::RawSectorMode::Mode2Form1;
  for (std::uint32_t lba = start; in.read(reinterpret_cast<char*>(user.data()), user.size());
       ++lba) {
    korvel::tools::BuildRawSector(rawMode, lba, user, sector);
    out.write(reinterpret_cast<const char*>(sector.data()), sector.size());
  }
  // A trailing part sector means the input is no image of 2048-byte sectors.
  return in.gcount() == 0 && static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Writes sectors of the sample disc images (a developer and test tool)."};
  app.require_subcommand(1);
  std::string output;
  std::uint32_t blocks = 0;
  double hertz = 440;
  auto* tone = app.add_subcommand("tone", "blocks of CD audio holding a sine tone");
  tone->add_option("output", output, "the file to write")
      ->required()
      ->check(korvel::tools::NonEmptyName());
  tone->add_option("--blocks", blocks, "how many 2352-byte blocks (75 a second)")
      ->required()
      ->check(CLI::Range(1, 450000));
  tone->add_option("--hertz", hertz, "the tone's frequency")->check(CLI::Range(20.0, 20000.0));
  std::string input;
  int mode = 1;
  std::uint32_t start = 0;
  auto* raw = app.add_subcommand("raw", "an ISO 9660 image as raw 2352-byte sectors");
  raw->add_option("input", input, "the image of 2048-byte sectors")->required();
  raw->add_option("output", output, "the file to write")
      ->required()
      ->check(korvel::tools::NonEmptyName());
  raw->add_option("--mode", mode, "1 (mode 1) or 2 (mode 2 form 1, XA)")
      ->check(CLI::IsMember({1, 2}));
  raw->add_option("--start", start, "the disc address of the first sector")
      ->check(CLI::Range(0, 449849));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // The parser's messages quote the arguments it refused, which may hold anything.
    std::ostringstream message;
    const int code = app.exit(error, std::cout, message);
    std::cerr << korvel::machine::PrintableLines(message.str());
    return code;
  }
  if (const std::string refusal = korvel::tools::OutputRefusal(output); !refusal.empty()) {
    std::cerr << "korvel-disc-sectors: cannot write " << output << ": " << refusal << '\n';
    return kExitFailed;
  }
  const bool written =
      tone->parsed() ? WriteTone(output, blocks, hertz) : WriteRaw(input, output, mode, start);
  if (!written) {
    std::cerr << "korvel-disc-sectors: cannot write " << output << '\n';
    return kExitFailed;
  }
  return 0;
}
