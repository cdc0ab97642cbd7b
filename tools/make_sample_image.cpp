// korvel-make-image: writes a sample upgrade file, valid or broken on purpose, for trying the
// upgrade programs on the simulated PC and for their end-to-end tests.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "formats/ImageCheck.h"
#include "formats/SampleImage.h"
#include "machine/EmptyOptionValue.h"
#include "machine/PrintableText.h"
#include "output_file.h"
#include "replacing_file.h"

namespace {

using korvel::formats::UpgradeFileFormat;
using korvel::machine::PrintableText;

constexpr int kExitWriteFailed = 1;
constexpr int kExitBadUsage = 2;
constexpr std::int64_t kMaxTrailing = 16 * 1024 * 1024;

// Applies one --break choice; returns false when the choice is not known.
bool ApplyBreak(const std::string& choice, std::vector<std::uint8_t>& image,
                const UpgradeFileFormat& format) {
  namespace fmt = korvel::formats;
  if (choice.empty()) return true;
  if (choice == "signature-case") {
    fmt::BreakSignatureCase(image, format);
  } else if (choice == "checksum-le") {
    fmt::StoreChecksumLowByteFirst(image, format);
  } else if (choice == "checksum") {
    fmt::StoreChecksumOffByOne(image, format);
  } else if (choice.rfind("truncate=", 0) == 0) {
    const std::string count = choice.substr(9);
    if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos ||
        count.size() > 9) {
      return false;
    }
    fmt::TruncateImage(image, std::stoul(count));
  } else {
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Writes a sample Korvel upgrade file (a developer and test tool)."};
  std::string formatName;
  std::string revision;
  std::string breakChoice;
  std::int64_t trailing = 0;
  std::uint32_t seed = 1;
  std::string output;
  app.add_option("--format", formatName, "upgrade-file format: A (RZ6120) or B (RZ5140)")
      ->required()
      ->check(CLI::IsMember({"A", "B"}));
  app.add_option("--revision", revision, "firmware revision after the signature, 1 to 4 characters")
      ->required();
  app.add_option("--break", breakChoice,
                 "damage on purpose: signature-case, checksum-le, checksum or truncate=N");
  app.add_option("--trailing", trailing, "bytes to append after the image (up to 16 MiB)")
      ->check(CLI::Range(std::int64_t{0}, kMaxTrailing));
  app.add_option("--seed", seed, "seed of the firmware bytes (default 1)");
  app.add_option("OUTPUT", output, "file to write")
      ->required()
      ->check(korvel::tools::NonEmptyName());
  if (const std::string_view empty = korvel::machine::EmptyOptionValue(argc, argv);
      !empty.empty()) {
    std::cerr << "korvel-make-image: " << PrintableText(empty) << " gives an empty value\n";
    return kExitBadUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    // The parser's messages quote the arguments it refused, which may hold anything.
    std::ostringstream message;
    app.exit(error, std::cout, message);
    std::cerr << korvel::machine::PrintableLines(message.str());
    return kExitBadUsage;
  }
  if (revision.empty() || revision.size() > korvel::formats::kRevisionLength) {
    std::cerr << "korvel-make-image: --revision takes 1 to 4 characters, got \""
              << PrintableText(revision) << "\"\n";
    return kExitBadUsage;
  }
  const UpgradeFileFormat& format =
      formatName == "A" ? korvel::formats::kFormatA : korvel::formats::kFormatB;
  std::vector<std::uint8_t> image = korvel::formats::MakeSampleImage(format, revision, seed);
  if (!ApplyBreak(breakChoice, image, format)) {
    std::cerr << "korvel-make-image: --break takes signature-case, checksum-le, checksum or "
                 "truncate=N, got \""
              << PrintableText(breakChoice) << "\"\n";
    return kExitBadUsage;
  }
  korvel::formats::AppendTrailingBytes(image, static_cast<std::size_t>(trailing), seed);

  if (const std::string refusal = korvel::tools::OutputRefusal(output); !refusal.empty()) {
    std::cerr << "korvel-make-image: cannot write " << PrintableText(output) << ": " << refusal
              << "\n";
    return kExitBadUsage;
  }
  errno = 0;
  korvel::tools::ReplacingFile file(output);
  file.stream().write(reinterpret_cast<const char*>(image.data()),
                      static_cast<std::streamsize>(image.size()));
  if (!file.Commit()) {
    std::cerr << "korvel-make-image: cannot write " << PrintableText(output) << ": "
              << korvel::tools::LastWriteError() << "\n";
    return kExitWriteFailed;
  }
  const auto verdict = korvel::formats::CheckImage(image, format);
  std::cout << "wrote " << PrintableText(output) << ": format " << format.name << ", "
            << image.size() << " bytes, revision \"" << PrintableText(revision) << "\", "
            << korvel::formats::VerdictName(verdict.kind);
  if (verdict.kind == korvel::formats::ImageVerdict::Kind::Valid ||
      verdict.kind == korvel::formats::ImageVerdict::Kind::BadChecksum) {
    char sums[64];
    std::snprintf(sums, sizeof sums, " (checksum %04X, stored %04X)", verdict.computed,
                  verdict.stored);
    std::cout << sums;
  }
  std::cout << "\n";
  return 0;
}
