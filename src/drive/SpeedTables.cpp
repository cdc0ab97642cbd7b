#include "drive/SpeedTables.h"

namespace korvel::drive {
namespace {

constexpr SpeedName Name(const char* text) {
  SpeedName name{};
  for (std::size_t i = 0; text[i] != '\0' && i + 1 < kSpeedNameSize; ++i) name[i] = text[i];
  return name;
}

// The compact form: the blank before "X" removed.
constexpr SpeedName Compact(const SpeedName& spaced) {
  SpeedName compact{};
  std::size_t out = 0;
  for (std::size_t i = 0; i < kSpeedNameSize && spaced[i] != '\0'; ++i) {
    const bool blankBeforeX = spaced[i] == ' ' && i + 1 < kSpeedNameSize && spaced[i + 1] == 'X';
    if (!blankBeforeX) compact[out++] = spaced[i];
  }
  return compact;
}

template <std::size_t N>
constexpr SpeedNameTable<N> Names(const char* const (&texts)[N]) {
  SpeedNameTable<N> table{};
  for (std::size_t i = 0; i < N; ++i) {
    table.spaced[i] = Name(texts[i]);
    table.compact[i] = Compact(table.spaced[i]);
  }
  return table;
}

static_assert(Compact(Name("12-20 X P-CAV")) == Name("12-20X P-CAV"));
static_assert(Compact(Name("res")) == Name("res"));

}  // namespace

const std::array<std::uint8_t, kSpeedTypes> SpeedCountTable = {3, 3, 3, 4, 4, 6, 6, 7, 7, 7,
                                                               4, 4, 7, 4, 7, 4, 4, 7, 5, 5};

const std::array<SpeedRow, kSpeedTypes> SpeedMultiplierTable = {{
    {1, 2, 4, 0, 0, 0, 0},    // 0
    {1, 2, 4, 0, 0, 0, 0},    // 1
    {1, 2, 4, 0, 0, 0, 0},    // 2
    {1, 0, 4, 6, 0, 0, 0},    // 3
    {1, 2, 4, 8, 0, 0, 0},    // 4
    {1, 2, 4, 8, 0, 12, 0},   // 5
    {1, 2, 4, 8, 0, 12, 0},   // 6
    {1, 2, 4, 8, 0, 0, 20},   // 7
    {1, 2, 4, 8, 0, 20, 32},  // 8
    {1, 2, 4, 8, 0, 20, 32},  // 9
    {1, 4, 8, 12, 0, 0, 0},   // 10
    {1, 4, 8, 12, 0, 0, 0},   // 11
    {1, 2, 4, 8, 0, 20, 40},  // 12
    {1, 4, 8, 20, 0, 0, 0},   // 13
    {1, 2, 4, 8, 0, 20, 40},  // 14
    {1, 4, 8, 20, 0, 0, 0},   // 15
    {1, 4, 8, 20, 0, 0, 0},   // 16
    {0, 0, 4, 8, 0, 32, 50},  // 17
    {1, 4, 8, 20, 32, 0, 0},  // 18
    {1, 4, 8, 20, 32, 0, 0},  // 19
}};

const std::array<SpeedRow, kSpeedTypes> SpeedCodeTable = {{
    {0, 1, 2, 0, 0, 0, 0},  // 0
    {0, 1, 2, 0, 0, 0, 0},  // 1
    {0, 1, 2, 0, 0, 0, 0},  // 2
    {0, 0, 1, 2, 0, 0, 0},  // 3
    {0, 1, 2, 3, 0, 0, 0},  // 4
    {0, 1, 2, 3, 3, 4, 0},  // 5
    {0, 1, 2, 3, 3, 4, 0},  // 6
    {0, 1, 2, 3, 3, 3, 4},  // 7
    {0, 1, 2, 3, 3, 4, 5},  // 8
    {0, 1, 2, 3, 3, 4, 5},  // 9
    {0, 1, 2, 3, 0, 0, 0},  // 10
    {0, 1, 2, 3, 0, 0, 0},  // 11
    {0, 1, 2, 3, 3, 4, 5},  // 12
    {0, 1, 2, 3, 0, 0, 0},  // 13
    {0, 1, 2, 3, 3, 4, 5},  // 14
    {0, 1, 2, 3, 0, 0, 0},  // 15
    {0, 1, 2, 3, 0, 0, 0},  // 16
    {0, 0, 0, 1, 1, 2, 3},  // 17
    {0, 1, 2, 3, 4, 0, 0},  // 18
    {0, 1, 2, 3, 4, 0, 0},  // 19
}};

const SpeedNameTable<kSpeedSteps> GenericSpeedNames =
    Names({"1 X CLV", "2 X CLV", "4 X CLV", "8 X CLV", "8 X CLV", "res", "max"});

const SpeedNameTable<kSpeedTypes> MaxSpeedNames = Names({
    "4 X CLV",        // 0
    "4 X CLV",        // 1
    "4.5 X CLV",      // 2
    "6 X CLV",        // 3
    "8 X CLV",        // 4
    "12 X CLV",       // 5
    "12 X CLV",       // 6
    "12-20 X P-CAV",  // 7
    "14-32 X CAV",    // 8
    "14-32 X CAV",    // 9
    "8-12 X P-CAV",   // 10
    "8-12 X P-CAV",   // 11
    "17-40 X CAV",    // 12
    "9-20 X CAV",     // 13
    "17-40 X CAV",    // 14
    "9-20 X CAV",     // 15
    "9-20 X CAV",     // 16
    "17-40 X CAV",    // 17
    "14-32 X CAV",    // 18
    "14-32 X CAV",    // 19
});

const SpeedNameTable<kSpeedTypes> ResSpeedNames = Names({
    "",               // 0
    "",               // 1
    "",               // 2
    "",               // 3
    "",               // 4
    "12 X CLV",       // 5
    "12 X CLV",       // 6
    "8 X CLV",        // 7
    "8-20 X CAV",     // 8
    "8-20 X CAV",     // 9
    "8-12 X P-CAV",   // 10
    "8-12 X P-CAV",   // 11
    "10-20 X P-CAV",  // 12
    "9-20 X CAV",     // 13
    "10-20 X P-CAV",  // 14
    "9-20 X CAV",     // 15
    "9-20 X CAV",     // 16
    "14-32 X CAV",    // 17
    "14-32 X CAV",    // 18
    "14-32 X CAV",    // 19
});

const SpeedNameTable<4> Type10SpeedNames = Names({"1 X CLV", "4 X CLV", "8 X CLV", "8-12 X P-CAV"});
const SpeedNameTable<4> Type13SpeedNames = Names({"1 X CLV", "4 X CLV", "8 X CLV", "9-20 X CAV"});
const SpeedNameTable<5> Type18SpeedNames =
    Names({"1 X CLV", "4 X CLV", "8 X CLV", "9-20 X CAV", "14-32 X CAV"});

// Index 4 is a speed none of the four names fits (or a page that could not be read): "???",
// the text the read speed names give a step they cannot name.
const std::array<SpeedName, kWriteSpeedIndexes> WriteSpeedNames = {
    Name("1X"), Name("2X"), Name("4X"), Name("8X"), Name("???")};

const std::array<std::uint16_t, kSpeedCodes> SpeedCodeRateTable = {
    176,          706,          1411,         3528,         5645,         kFastestRate,
    kFastestRate, kFastestRate, kFastestRate, kFastestRate, kFastestRate, kFastestRate,
    kFastestRate, kFastestRate, kFastestRate, kFastestRate};

const std::array<RateIndex, 5> ReadSpeedIndexTable = {
    {{176, 0}, {706, 1}, {1411, 2}, {2117, 3}, {3528, 3}}};
const std::array<RateIndex, 4> WriteSpeedIndexTable = {{{176, 0}, {353, 1}, {706, 2}, {1411, 3}}};

}  // namespace korvel::drive
