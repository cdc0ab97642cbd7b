#include "transport/CommandLog.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

namespace korvel::transport {
namespace {

std::string Hex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

}  // namespace

void CommandLog::Record(const CommandLogEntry& entry) {
  nlohmann::ordered_json line;
  line["adapter"] = entry.adapter;
  line["target"] = entry.target;
  line["cdb"] = Hex(entry.cdb);
  // A command with no data phase (TEST UNIT READY, REZERO UNIT, ...) moves nothing either way.
  line["direction"] = entry.length == 0 ? "none" : (entry.dataOut ? "out" : "in");
  line["length"] = entry.length;
  if (entry.dataOut) {
    const std::span<const std::uint8_t> sent = entry.dataOutBytes;
    line["data_out"] = Hex(sent.first(std::min(sent.size(), kLoggedDataOutBytes)));
    line["data_out_length"] = sent.size();
  }
  line["status"] = entry.status;
  if (!entry.sense.empty()) line["sense"] = Hex(entry.sense);
  if (entry.fromHostData) line["source"] = "host";
  line["time_ms"] = kernel_.MillisecondsSinceStart();
  out_ << line.dump() << '\n';
  out_.flush();
}

}  // namespace korvel::transport
