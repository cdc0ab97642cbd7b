#include "emulator/JsonFields.h"

#include <algorithm>
#include <charconv>

#include "emulator/ConfigError.h"

namespace korvel::emulator::json_fields {

using nlohmann::json;

std::string Join(const std::string& where, std::string_view key) {
  return where.empty() ? std::string(key) : where + "." + std::string(key);
}

std::string At(const std::string& where, std::size_t index) {
  return where + "[" + std::to_string(index) + "]";
}

void Fail(const std::string& path, const std::string& fault) {
  throw ConfigError(path + ": " + fault);
}

void RequireObject(const json& value, const std::string& path) {
  if (!value.is_object()) Fail(path, "expected an object");
}

void RequireList(const json& value, const std::string& path) {
  if (!value.is_array()) Fail(path, "expected a list");
}

void RequireKnownKeys(const json& object, const std::string& path,
                      std::initializer_list<std::string_view> known,
                      std::span<const std::string_view> alsoKnown) {
  std::string faults;
  for (const auto& [key, value] : object.items()) {
    if (std::find(known.begin(), known.end(), key) != known.end()) continue;
    if (std::find(alsoKnown.begin(), alsoKnown.end(), key) != alsoKnown.end()) continue;
    if (!faults.empty()) faults += "; ";
    faults += Join(path, key) + ": unknown key";
  }
  if (!faults.empty()) throw ConfigError(faults);
}

std::uint64_t ReadUnsigned(const json& value, const std::string& path, std::uint64_t maximum) {
  std::uint64_t number = 0;
  if (value.is_number_unsigned()) {
    number = value.get<std::uint64_t>();
  } else if (value.is_number_integer()) {
    const auto signedNumber = value.get<std::int64_t>();
    if (signedNumber < 0) Fail(path, "must not be negative");
    number = static_cast<std::uint64_t>(signedNumber);
  } else if (value.is_number_float()) {
    // Fractional, or a whole number beyond 64 bits, which the JSON reader keeps as a double.
    Fail(path, value.dump() + " is not a whole number from 0 to " + std::to_string(maximum));
  } else if (value.is_string()) {
    const std::string& text = value.get_ref<const std::string&>();
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, number, hex ? 16 : 10);
    if (text.empty() || error != std::errc() || end != last) {
      Fail(path, "expected a number (decimal or 0x hexadecimal), got \"" + text + "\"");
    }
  } else {
    Fail(path, "expected a number");
  }
  if (number > maximum) Fail(path, "must be at most " + std::to_string(maximum));
  return number;
}

bool ReadBool(const json& value, const std::string& path) {
  if (!value.is_boolean()) Fail(path, "expected true or false");
  return value.get<bool>();
}

const std::string& ReadString(const json& value, const std::string& path) {
  if (!value.is_string()) Fail(path, "expected a string");
  return value.get_ref<const std::string&>();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<std::uint8_t> ReadHexBytes(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  std::string digits;
  for (char c : text) {
    if (c == ' ') continue;
    if (HexDigit(c) < 0) {
      Fail(path, "expected hexadecimal digits, found '" + std::string(1, c) + "'");
    }
    digits += c;
  }
  if (digits.size() % 2 != 0) Fail(path, "odd number of hexadecimal digits");
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1])));
  }
  return bytes;
}

}  // namespace korvel::emulator::json_fields
