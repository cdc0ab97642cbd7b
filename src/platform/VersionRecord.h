// The version record of a Windows file (VS_VERSIONINFO) as GetFileVersionInfoA hands it out, and
// the walk of VerQueryValueA over it.
//
// The record is a tree of nodes. Each node starts on a 4-byte boundary with three little-endian
// words (its whole length, its value's length, its value's type), then its key in UTF-16 with a
// NUL, padding to 4 bytes, its value, padding to 4 bytes, and its children up to its length.
// The root "VS_VERSION_INFO" holds VS_FIXEDFILEINFO as its value; its children are
// "StringFileInfo" (one string table per language and code page, named like "040904B0", of
// string nodes "CompanyName" ...) and "VarFileInfo" (the node "Translation": 32-bit entries,
// language in the low half, code page in the high half).
//
// Strings are stored as UTF-16. The block that GetFileVersionInfoA fills is the record, the tag
// "FE2X", and a scratch area as large as the record: VerQueryValueA writes the ANSI form of each
// string it hands out there, at the string's own offset, and points the caller at it.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/WinTypes.h"

namespace korvel::platform {

// Offsets in a node.
inline constexpr std::size_t kVersionNodeLength = 0;       // WORD: the node with its children
inline constexpr std::size_t kVersionNodeValueLength = 2;  // WORD: bytes, or characters of text
inline constexpr std::size_t kVersionNodeType = 4;         // WORD: kVersionValue...
inline constexpr std::size_t kVersionNodeKey = 6;          // UTF-16 key with its NUL
inline constexpr WORD kVersionValueBinary = 0;
inline constexpr WORD kVersionValueText = 1;

inline constexpr std::string_view kVersionRootKey = "VS_VERSION_INFO";
inline constexpr std::string_view kAnsiAreaTag = "FE2X";

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);
inline constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BDu;
inline constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000u;
inline constexpr DWORD VOS__WINDOWS32 = 0x00000004u;
inline constexpr DWORD VFT_DLL = 0x00000002u;

constexpr std::size_t AlignVersionOffset(std::size_t offset) {
  return (offset + 3) & ~std::size_t{3};
}

// The bytes GetFileVersionInfoA fills for a record of `recordLength` bytes: the record, the tag
// and the scratch area (4 bytes more than the record, so that even an empty string at the very
// end has room for its NUL).
constexpr std::size_t VersionBlockSize(std::size_t recordLength) {
  return AlignVersionOffset(recordLength) + kAnsiAreaTag.size() + AlignVersionOffset(recordLength) +
         4;
}

// VerQueryValueA over a block that GetFileVersionInfoA filled. Keys compare without regard to
// letter case; every length in the block is checked against its parent before it is used, so a
// damaged record gives FALSE, never a read outside it.
BOOL QueryVersionBlock(void* block, const char* subBlock, void** value, UINT* length);

}  // namespace korvel::platform
