// The readers of scenario values that every part of a device description shares: each refuses
// a value it cannot use with a ConfigError that names the key path.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace korvel::emulator::json_fields {

// "a.b" for key b of the object at path a; the key alone at the top.
std::string Join(const std::string& where, std::string_view key);
// "a[3]" for item 3 of the list at path a.
std::string At(const std::string& where, std::size_t index);

[[noreturn]] void Fail(const std::string& path, const std::string& fault);

void RequireObject(const nlohmann::json& value, const std::string& path);
void RequireList(const nlohmann::json& value, const std::string& path);

// Refuses keys outside `known` and `alsoKnown`, naming every one.
void RequireKnownKeys(const nlohmann::json& object, const std::string& path,
                      std::initializer_list<std::string_view> known,
                      std::span<const std::string_view> alsoKnown = {});

// A non-negative integer up to `maximum`, as a JSON number or as a text in decimal or "0x"
// hexadecimal.
std::uint64_t ReadUnsigned(const nlohmann::json& value, const std::string& path,
                           std::uint64_t maximum);
bool ReadBool(const nlohmann::json& value, const std::string& path);
const std::string& ReadString(const nlohmann::json& value, const std::string& path);
int HexDigit(char c);
// Hexadecimal bytes; blanks between them are allowed for readability.
std::vector<std::uint8_t> ReadHexBytes(const nlohmann::json& value, const std::string& path);

}  // namespace korvel::emulator::json_fields
