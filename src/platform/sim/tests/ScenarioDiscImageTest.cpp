// Scenario discs made from image files: paths relative to the scenario file, the modifiers every
// disc form takes, and faults that name the key and the image.
#include <gtest/gtest.h>

#include <vector>

#include "emulator/ConfigError.h"
#include "emulator/images/ImageFile.h"
#include "emulator/tests/ScratchDirectory.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {
namespace {

using emulator::testing::ScratchDirectory;

std::string ScenarioWithDisc(const std::string& disc) {
  return R"({"os": "win98", "aspi": {"installed": true}, "adapters": [{"id": 0, "targets": [
            {"id": 2, "product": "CD-R   RZ6120   ", "disc": )" +
         disc + "}]}]}";
}

const emulator::Disc& DiscOf(const Scenario& scenario) {
  return *scenario.adapters.at(0).targets.at(0).device.disc;
}

std::string LoadError(const std::filesystem::path& scenario) {
  try {
    LoadScenarioFile(scenario);
  } catch (const emulator::ConfigError& error) {
    return error.what();
  }
  return "(loaded)";
}

class ScenarioDiscImageTest : public ::testing::Test {
 protected:
  ScenarioDiscImageTest() {
    scratch_.Write("pc/images/disc.iso", std::vector<std::uint8_t>(40 * 2048));
    scratch_.Write("pc/images/audio.bin", std::vector<std::uint8_t>(300 * 2352));
    scratch_.Write("pc/images/audio.cue",
                   "TITLE \"Sample\"\nFILE audio.bin BINARY\nTRACK 01 AUDIO\n"
                   "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 00:02:00\nINDEX 01 00:03:00\n");
  }
  std::filesystem::path WriteScenario(const std::string& disc) const {
    return scratch_.Write("pc/scenario.json", ScenarioWithDisc(disc));
  }
  ScratchDirectory scratch_;
};

// The scenario is loaded from another folder than its own, so that a path taken from the
// current directory would not be found.
TEST_F(ScenarioDiscImageTest, ImagesAreFoundBesideTheScenarioFile) {
  const auto scenario = WriteScenario(R"({"cue": "images/audio.cue"})");
  const emulator::Disc disc = DiscOf(LoadScenarioFile(scenario));
  ASSERT_EQ(disc.tracks.size(), 2u);
  EXPECT_EQ(disc.title, "Sample");
  EXPECT_EQ(disc.tracks[1].pregapStart, 150);
  EXPECT_EQ(disc.tracks[1].start, 225);
  EXPECT_EQ(disc.sessions.at(0).leadOut, 300);
  EXPECT_EQ(disc.tracks[0].data->file->path(), scratch_.path() / "pc/images/audio.bin");
  EXPECT_FALSE(disc.atip);
}

TEST_F(ScenarioDiscImageTest, ImagesTakeTheModifiersOfEveryDisc) {
  const emulator::Disc appendable =
      DiscOf(LoadScenarioFile(WriteScenario(R"({"iso": "images/disc.iso", "appendable": true})")));
  EXPECT_TRUE(appendable.appendable);
  ASSERT_TRUE(appendable.atip);
  EXPECT_FALSE(appendable.atip->rewritable);
  EXPECT_EQ(appendable.sessions.at(0).leadOut, 40);
  const emulator::Disc rewritable = DiscOf(LoadScenarioFile(
      WriteScenario(R"({"iso": "images/disc.iso", "atip": {"rewritable": true}})")));
  ASSERT_TRUE(rewritable.atip);
  EXPECT_TRUE(rewritable.atip->rewritable);
  EXPECT_FALSE(rewritable.appendable);
}

TEST_F(ScenarioDiscImageTest, AScenarioInMemoryNamesImagesFromTheFolderItIsGiven) {
  const Scenario scenario =
      LoadScenarioText(ScenarioWithDisc(R"({"iso": "images/disc.iso"})"), scratch_.path() / "pc");
  EXPECT_EQ(DiscOf(scenario).tracks.at(0).end, 40);
}

TEST_F(ScenarioDiscImageTest, FaultsNameTheKeyAndTheImage) {
  scratch_.Write("pc/images/bad.cue", "FILE audio.bin BINARY\nTRACK 01 AUDIO\n");
  const std::string scenario = (scratch_.path() / "pc/scenario.json").string();
  const std::string key = scenario + ": adapters[0].targets[0].disc";
  const struct {
    std::string disc;
    std::string error;
  } cases[] = {
      {R"({"cue": "images/bad.cue"})", key + ".cue: bad.cue line 2: track 1 has no INDEX 01"},
      {R"({"iso": "images/missing.iso"})",
       key + ".iso: cannot use image file \"" +
           (scratch_.path() / "pc/images/missing.iso").string() + "\": No such file or directory"},
      {R"({"iso": "images"})", key + ".iso: cannot use image file \"" +
                                   (scratch_.path() / "pc/images").string() +
                                   "\": it is a directory"},
      {R"({"iso": "images/disc.iso", "cue": "images/audio.cue"})",
       key + ": give either cue or iso"},
      {R"({"iso": "images/disc.iso", "blocks": 10})", key + ".blocks: unknown key"},
      {R"({"iso": ""})", key + ".iso: names no file"},
      {R"({"iso": "images/disc.iso", "blank": true, "appendable": true})",
       key + ".appendable: a blank disc has no closed session to append to"},
  };
  for (const auto& entry : cases) {
    EXPECT_EQ(LoadError(WriteScenario(entry.disc)), entry.error) << entry.disc;
  }
}

}  // namespace
}  // namespace korvel::platform::sim
