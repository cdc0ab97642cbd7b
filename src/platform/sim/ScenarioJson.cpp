#include "platform/sim/ScenarioJson.h"

#include <string>
#include <vector>

#include "emulator/ConfigError.h"

namespace korvel::platform::sim {
namespace {

using emulator::ConfigError;
using nlohmann::json;

// Where the reader is in the document: one frame for each object or list it is inside.
class KeyPath {
 public:
  std::size_t depth() const { return frames_.size(); }

  void Enter(bool object) { frames_.push_back({object, {}, 0}); }
  void Leave() {
    frames_.pop_back();
    ValueDone();
  }
  void Key(std::string key) { frames_.back().key = std::move(key); }
  // A list counts its elements so that a fault names the element it is in.
  void ValueDone() {
    if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
  }

  // "adapters[0].targets[1].id", the way the scenario reader names keys; "scenario" at the top.
  std::string Text() const {
    std::string text;
    for (const Frame& frame : frames_) {
      if (frame.object) {
        if (frame.key.empty() && &frame == &frames_.back()) break;
        if (!text.empty()) text += '.';
        text += frame.key;
      } else {
        text += '[' + std::to_string(frame.index) + ']';
      }
    }
    return text.empty() ? "scenario" : text;
  }

 private:
  struct Frame {
    bool object = false;
    std::string key;        // the key being read, objects only
    std::size_t index = 0;  // the element being read, lists only
  };
  std::vector<Frame> frames_;
};

// The JSON library's message without its "[json.exception.parse_error.101] " tag.
std::string Untagged(const json::exception& error) {
  const std::string text = error.what();
  const std::size_t end = text.find("] ");
  return end == std::string::npos ? text : text.substr(end + 2);
}

}  // namespace

json ParseScenarioJson(std::string_view text) {
  if (text.size() > kMaxScenarioBytes) {
    throw ConfigError(std::string("scenario: larger than ") + kMaxScenarioBytesText +
                      ", the most a scenario may hold");
  }
  // The JSON reader takes a NUL byte for the end of the text and would read the scenario only
  // up to it.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    throw ConfigError("scenario: a NUL byte at offset " + std::to_string(nul) +
                      "; a scenario is UTF-8 JSON text (not UTF-16, not binary)");
  }
  KeyPath path;
  const json::parser_callback_t follow = [&path](int, json::parse_event_t event, json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
      case json::parse_event_t::array_start:
        if (path.depth() >= kMaxScenarioNesting) {
          throw ConfigError(path.Text() + ": nested deeper than " +
                            std::to_string(kMaxScenarioNesting) + " levels");
        }
        path.Enter(event == json::parse_event_t::object_start);
        break;
      case json::parse_event_t::key:
        path.Key(parsed.get<std::string>());
        break;
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        path.Leave();
        break;
      case json::parse_event_t::value:
        path.ValueDone();
        break;
    }
    return true;
  };
  try {
    return json::parse(text, follow);
  } catch (const json::parse_error& error) {
    throw ConfigError(path.Text() + ": not valid JSON: " + Untagged(error));
  } catch (const json::out_of_range& error) {
    // A number beyond what a double holds ("1e400").
    throw ConfigError(path.Text() + ": out of range: " + Untagged(error));
  }
}

}  // namespace korvel::platform::sim
