// The 16-bit byte sum of upgrade images, at the speed of memory: SSE2 or AVX2 code chosen at
// run time by what the processor offers, and a plain loop for every other processor. All of
// them give the same result on every length and alignment.
#pragma once

#include <cstdint>
#include <span>

namespace korvel::formats {

// Sum of the bytes as unsigned 8-bit values, modulo 65536, with the fastest code the
// processor runs.
std::uint16_t ByteSum(std::span<const std::uint8_t> bytes);

// The ways of summing, for tests that hold each one to the plain loop and for benchmarks.
enum class ByteSumCode { Plain, Sse2, Avx2 };

// Whether this build and this processor can run `code`; Plain always can.
bool ByteSumCodeRuns(ByteSumCode code);
// The sum with one particular code; `code` must run here (ByteSumCodeRuns).
std::uint16_t ByteSumWith(ByteSumCode code, std::span<const std::uint8_t> bytes);
// The code ByteSum uses on this processor.
ByteSumCode FastestByteSumCode();
const char* ByteSumCodeName(ByteSumCode code);

}  // namespace korvel::formats
