#include "drive/DiscTexts.h"

#include <cstdio>

namespace korvel::drive {
namespace {

constexpr std::int64_t kFramesPerSecond = 75;
constexpr std::int64_t kFramesPerMinute = 60 * kFramesPerSecond;
constexpr std::int64_t kFramesIn100Minutes = 100 * kFramesPerMinute;

}  // namespace

std::string FramesToText(std::int32_t frames) {
  std::int64_t f = frames;
  if (f < 0) f += kFramesIn100Minutes;
  const std::int64_t minutes = f / kFramesPerMinute;
  const std::int64_t seconds = (f - minutes * kFramesPerMinute) / kFramesPerSecond;
  const std::int64_t rest = f % kFramesPerSecond;
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(minutes),
                static_cast<long long>(seconds), static_cast<long long>(rest));
  return text;
}

std::string& TrimTrailingBlanks(std::string& text) {
  while (text.size() > 1 && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace korvel::drive
