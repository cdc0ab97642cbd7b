#include "platform/VersionRecord.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/LittleEndian.h"

namespace korvel::platform {
namespace {

constexpr BOOL kFalse = 0;
constexpr BOOL kTrue = 1;

// One node of the record, its bounds checked against its parent's.
struct Node {
  std::size_t start = 0;
  std::size_t end = 0;         // start + the node's length
  std::size_t keyStart = 0;    // first UTF-16 unit of the key
  std::size_t valueStart = 0;  // after the key and its padding
  std::size_t valueBytes = 0;  // the value's length in bytes
  std::size_t childStart = 0;  // after the value and its padding
  WORD valueLength = 0;        // as stored: bytes, or characters of text
  WORD type = kVersionValueBinary;
};

WORD WordAt(const std::uint8_t* bytes, std::size_t offset) {
  return static_cast<WORD>(GetLittleEndian(bytes + offset, 2));
}

// The node at `start`, which must lie inside [start, limit); nothing when it does not fit.
std::optional<Node> ReadNode(const std::uint8_t* bytes, std::size_t start, std::size_t limit) {
  if (start + kVersionNodeKey > limit) return std::nullopt;
  Node node;
  node.start = start;
  const WORD length = WordAt(bytes, start + kVersionNodeLength);
  if (length < kVersionNodeKey || start + length > limit) return std::nullopt;
  node.end = start + length;
  node.valueLength = WordAt(bytes, start + kVersionNodeValueLength);
  node.type = WordAt(bytes, start + kVersionNodeType);
  node.keyStart = start + kVersionNodeKey;
  std::size_t key = node.keyStart;
  while (true) {
    if (key + 2 > node.end) return std::nullopt;  // the key has no NUL inside the node
    if (WordAt(bytes, key) == 0) break;
    key += 2;
  }
  node.valueStart = AlignVersionOffset(key + 2);
  node.valueBytes = node.type == kVersionValueText ? std::size_t{node.valueLength} * 2
                                                   : std::size_t{node.valueLength};
  if (node.valueStart + node.valueBytes > node.end) {
    // A value that ends at the node's end may lack the padding before it; anything more is damage.
    if (node.valueBytes != 0 || node.valueStart > AlignVersionOffset(node.end)) return std::nullopt;
  }
  node.childStart = AlignVersionOffset(node.valueStart + node.valueBytes);
  return node;
}

char FoldAscii(unsigned unit) {
  return static_cast<char>(unit >= 'a' && unit <= 'z' ? unit - 'a' + 'A' : unit);
}

bool KeyEquals(const std::uint8_t* bytes, const Node& node, std::string_view name) {
  std::size_t at = node.keyStart;
  for (char c : name) {
    const WORD unit = WordAt(bytes, at);
    if (unit == 0 || unit > 0x7F || FoldAscii(unit) != FoldAscii(static_cast<unsigned char>(c))) {
      return false;
    }
    at += 2;
  }
  return WordAt(bytes, at) == 0;
}

std::optional<Node> FindChild(const std::uint8_t* bytes, const Node& parent,
                              std::string_view name) {
  // Every child is at least one header long, so the walk ends after at most length / 8 steps.
  for (std::size_t at = parent.childStart; at + kVersionNodeKey <= parent.end;) {
    std::optional<Node> child = ReadNode(bytes, at, parent.end);
    if (!child) return std::nullopt;
    if (KeyEquals(bytes, *child, name)) return child;
    at = AlignVersionOffset(child->end);
  }
  return std::nullopt;
}

}  // namespace

BOOL QueryVersionBlock(void* block, const char* subBlock, void** value, UINT* length) {
  if (value != nullptr) *value = nullptr;
  if (length != nullptr) *length = 0;
  if (block == nullptr || subBlock == nullptr || value == nullptr || length == nullptr) {
    return kFalse;
  }
  auto* bytes = static_cast<std::uint8_t*>(block);
  const std::size_t recordLength = WordAt(bytes, kVersionNodeLength);
  std::optional<Node> node = ReadNode(bytes, 0, recordLength);
  if (!node) return kFalse;

  std::string_view path(subBlock);
  while (!path.empty()) {
    const std::size_t cut = path.find('\\');
    const std::string_view name = path.substr(0, cut);
    path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
    if (name.empty()) continue;
    node = FindChild(bytes, *node, name);
    if (!node) return kFalse;
  }

  if (node->type != kVersionValueText) {
    *value = bytes + node->valueStart;
    *length = node->valueLength;
    return kTrue;
  }
  // Text goes out as ANSI through the scratch area; a block without one cannot give text.
  const std::size_t tagAt = AlignVersionOffset(recordLength);
  if (std::memcmp(bytes + tagAt, kAnsiAreaTag.data(), kAnsiAreaTag.size()) != 0) return kFalse;
  const std::size_t characters = node->valueBytes / 2;
  auto* ansi = reinterpret_cast<char*>(bytes + tagAt + kAnsiAreaTag.size() + node->valueStart);
  for (std::size_t i = 0; i < characters; ++i) {
    const WORD unit = WordAt(bytes, node->valueStart + 2 * i);
    ansi[i] = unit <= 0xFF ? static_cast<char>(unit) : '?';
  }
  ansi[characters] = '\0';  // the stored text need not end with a NUL of its own
  *value = ansi;
  *length = node->valueLength;
  return kTrue;
}

}  // namespace korvel::platform
