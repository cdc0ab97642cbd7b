#include "formats/ByteSum.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KORVEL_BYTE_SUM_X86 1
#include <immintrin.h>
#else
#define KORVEL_BYTE_SUM_X86 0
#endif

namespace korvel::formats {
namespace {

// Only the low 16 bits are kept, so a 32-bit sum that wraps still gives the right result.
std::uint16_t PlainSum(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
  return static_cast<std::uint16_t>(sum);
}

#if KORVEL_BYTE_SUM_X86

// Asking the processor which code it runs costs a load and a test, far less than summing even
// one 32 KiB piece, so the choice is made afresh on every call instead of being kept anywhere.

// Unaligned loads: an image piece starts wherever the caller's buffer does.
__attribute__((target("sse2"), always_inline)) inline __m128i Load128(const std::uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("avx2"), always_inline)) inline __m256i Load256(const std::uint8_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// PSADBW against zero adds 8 bytes into each 64-bit lane, which cannot overflow for any length
// a process can hold. Four accumulators keep four loads in flight.
__attribute__((target("sse2"))) std::uint16_t Sse2Sum(const std::uint8_t* bytes,
                                                      std::size_t count) {
  const __m128i zero = _mm_setzero_si128();
  // Four named accumulators, not an array: indexed by a loop the compiler keeps an array in
  // memory, and every add then waits for a store and a load.
  __m128i sum0 = zero, sum1 = zero, sum2 = zero, sum3 = zero;
  std::size_t i = 0;
  for (; i + 64 <= count; i += 64) {
    sum0 = _mm_add_epi64(sum0, _mm_sad_epu8(Load128(bytes + i), zero));
    sum1 = _mm_add_epi64(sum1, _mm_sad_epu8(Load128(bytes + i + 16), zero));
    sum2 = _mm_add_epi64(sum2, _mm_sad_epu8(Load128(bytes + i + 32), zero));
    sum3 = _mm_add_epi64(sum3, _mm_sad_epu8(Load128(bytes + i + 48), zero));
  }
  for (; i + 16 <= count; i += 16)
    sum0 = _mm_add_epi64(sum0, _mm_sad_epu8(Load128(bytes + i), zero));
  const __m128i total = _mm_add_epi64(_mm_add_epi64(sum0, sum1), _mm_add_epi64(sum2, sum3));
  // Only the low 16 bits of each lane matter, and those sit in the lane's first bytes.
  const auto low = static_cast<std::uint32_t>(_mm_cvtsi128_si32(total));
  const auto high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(total, total)));
  return static_cast<std::uint16_t>(low + high + PlainSum(bytes + i, count - i));
}

__attribute__((target("avx2"))) std::uint16_t Avx2Sum(const std::uint8_t* bytes,
                                                      std::size_t count) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i sum0 = zero, sum1 = zero, sum2 = zero, sum3 = zero;
  std::size_t i = 0;
  for (; i + 128 <= count; i += 128) {
    sum0 = _mm256_add_epi64(sum0, _mm256_sad_epu8(Load256(bytes + i), zero));
    sum1 = _mm256_add_epi64(sum1, _mm256_sad_epu8(Load256(bytes + i + 32), zero));
    sum2 = _mm256_add_epi64(sum2, _mm256_sad_epu8(Load256(bytes + i + 64), zero));
    sum3 = _mm256_add_epi64(sum3, _mm256_sad_epu8(Load256(bytes + i + 96), zero));
  }
  for (; i + 32 <= count; i += 32)
    sum0 = _mm256_add_epi64(sum0, _mm256_sad_epu8(Load256(bytes + i), zero));
  const __m256i total =
      _mm256_add_epi64(_mm256_add_epi64(sum0, sum1), _mm256_add_epi64(sum2, sum3));
  const __m128i halves =
      _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
  const auto low = static_cast<std::uint32_t>(_mm_cvtsi128_si32(halves));
  const auto high =
      static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(halves, halves)));
  return static_cast<std::uint16_t>(low + high + PlainSum(bytes + i, count - i));
}

#endif

}  // namespace

bool ByteSumCodeRuns(ByteSumCode code) {
  switch (code) {
    case ByteSumCode::Plain:
      return true;
#if KORVEL_BYTE_SUM_X86
    case ByteSumCode::Sse2:
      return __builtin_cpu_supports("sse2");
    case ByteSumCode::Avx2:
      // Also false when the operating system does not save the 256-bit registers.
      return __builtin_cpu_supports("avx2");
#else
    case ByteSumCode::Sse2:
    case ByteSumCode::Avx2:
      return false;
#endif
  }
  return false;
}

std::uint16_t ByteSumWith(ByteSumCode code, std::span<const std::uint8_t> bytes) {
  // Code the processor lacks would stop the program on an illegal instruction.
  if (!ByteSumCodeRuns(code)) code = ByteSumCode::Plain;
  switch (code) {
#if KORVEL_BYTE_SUM_X86
    case ByteSumCode::Sse2:
      return Sse2Sum(bytes.data(), bytes.size());
    case ByteSumCode::Avx2:
      return Avx2Sum(bytes.data(), bytes.size());
#endif
    default:
      return PlainSum(bytes.data(), bytes.size());
  }
}

ByteSumCode FastestByteSumCode() {
  if (ByteSumCodeRuns(ByteSumCode::Avx2)) return ByteSumCode::Avx2;
  if (ByteSumCodeRuns(ByteSumCode::Sse2)) return ByteSumCode::Sse2;
  return ByteSumCode::Plain;
}

std::uint16_t ByteSum(std::span<const std::uint8_t> bytes) {
#if KORVEL_BYTE_SUM_X86
  if (__builtin_cpu_supports("avx2")) return Avx2Sum(bytes.data(), bytes.size());
  if (__builtin_cpu_supports("sse2")) return Sse2Sum(bytes.data(), bytes.size());
#endif
  return PlainSum(bytes.data(), bytes.size());
}

const char* ByteSumCodeName(ByteSumCode code) {
  switch (code) {
    case ByteSumCode::Plain:
      return "plain";
    case ByteSumCode::Sse2:
      return "SSE2";
    case ByteSumCode::Avx2:
      return "AVX2";
  }
  return "unknown";
}

}  // namespace korvel::formats
