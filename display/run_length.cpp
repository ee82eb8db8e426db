// Each code's value decides where the next code starts, so a decoder that
// reads one code at a time waits for every load before it can go on. Here 64
// input bytes at a time are first classified at once: which bytes are above
// the threshold, and from that alone which bytes start a code. A byte right
// after one that is not above the threshold always starts a code, so within
// a stretch of bytes above it the codes and their values alternate from its
// start, as escapes do in a string with runs of backslashes; an add finds the
// odd and even stretches together. The codes are then expanded by walking
// the bits of the start mask, with nothing waiting on the bytes' values.
#include "display/run_length.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint32_t kChunk = 64;
// A repeat repeats at most 254 times (threshold 1). Runs are stored in
// blocks of kRunBlock bytes, which the compiler turns into vector stores;
// the excess is overwritten by what follows or lies past the output.
constexpr std::uint32_t kLongestRun = 254;
constexpr std::uint32_t kRunBlock = 32;
using RunBlock = std::uint8_t __attribute__((vector_size(kRunBlock)));
constexpr std::uint32_t kLongestStore = (kLongestRun + kRunBlock - 1) / kRunBlock * kRunBlock;
// The most a chunk writes past where it starts: its codes' counts add up to
// at most 32 * 254 + 1 (at most 32 repeat codes start in 65 bytes), and the
// last code stores up to kLongestStore from where it starts.
constexpr std::uint32_t kChunkOutput = (kChunk / 2 + 1) * kLongestStore;

// One chunk classified: bit j of repeats set when in[j] is above the
// threshold, and for every j what the code there would write: count[j]
// copies of value[j].
struct ChunkCodes {
    std::uint64_t repeats = 0;
    alignas(16) std::uint8_t count[kChunk];
    alignas(16) std::uint8_t value[kChunk];
};

// Reads in[0, 65).
void ClassifyChunk(const std::uint8_t* in, std::uint32_t threshold, ChunkCodes& chunk) {
#if defined(__SSE2__)
    // No unsigned byte compare: flipping the top bit of both sides makes the
    // signed one agree.
    const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i limit = _mm_set1_epi8(static_cast<char>(threshold ^ 0x80));
    const __m128i thresholds = _mm_set1_epi8(static_cast<char>(threshold));
    const __m128i ones = _mm_set1_epi8(1);
    std::uint64_t repeats = 0;
    for (std::uint32_t k = 0; k < kChunk; k += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k + 1));
        const __m128i above = _mm_cmpgt_epi8(_mm_xor_si128(bytes, bias), limit);
        const __m128i count = _mm_or_si128(_mm_and_si128(above, _mm_sub_epi8(bytes, thresholds)),
                                           _mm_andnot_si128(above, ones));
        const __m128i value =
            _mm_or_si128(_mm_and_si128(above, next), _mm_andnot_si128(above, bytes));
        _mm_store_si128(reinterpret_cast<__m128i*>(chunk.count + k), count);
        _mm_store_si128(reinterpret_cast<__m128i*>(chunk.value + k), value);
        repeats |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(above)))
                   << k;
    }
    chunk.repeats = repeats;
#else
    chunk.repeats = 0;
    for (std::uint32_t k = 0; k < kChunk; ++k) {
        const bool above = in[k] > threshold;
        chunk.repeats |= std::uint64_t{above} << k;
        chunk.count[k] = static_cast<std::uint8_t>(above ? in[k] - threshold : 1);
        chunk.value[k] = above ? in[k + 1] : in[k];
    }
#endif
}

// The bytes that are a repeat code's value, for a chunk whose first byte
// starts a code: within each stretch of set bits of repeats, every second
// bit from the stretch's start, and the byte after a stretch of odd length.
// Bit 64 (the byte after the chunk) comes back in *carry.
std::uint64_t ValueBytes(std::uint64_t repeats, bool* carry) {
    constexpr std::uint64_t kEvenBits = 0x5555555555555555ull;
    const std::uint64_t followsRepeat = repeats << 1;
    // Stretches that start on an odd bit; adding the stretch to its start
    // carries out of its end, leaving a bit after it.
    const std::uint64_t oddStarts = repeats & ~kEvenBits & ~followsRepeat;
    std::uint64_t evenStartsEnds = 0;
    *carry = __builtin_add_overflow(oddStarts, repeats, &evenStartsEnds);
    const std::uint64_t invert = evenStartsEnds << 1;
    return (kEvenBits ^ invert) & followsRepeat;
}

// How far a decode has come: input and output positions.
struct Progress {
    std::uint32_t in = 0;
    std::uint32_t out = 0;
};

// Decodes whole chunks from the line's start. The positions are locals, not
// references, as the byte stores could alias them.
[[gnu::always_inline]] inline Progress DecodeChunks(const std::uint8_t* in, std::uint32_t length,
                                                    std::uint32_t threshold, std::uint32_t limit,
                                                    std::uint8_t* out, std::uint32_t capacity) {
    std::uint32_t i = 0;
    std::uint32_t o = 0;
    // Whole chunks, while a chunk and the value of a repeat code at its end
    // lie inside the line and whatever it writes fits the output. Chunks
    // start on a code. The output may pass the limit; only bytes below it
    // count.
    while (i + kChunk < length && o < limit && o + kChunkOutput <= capacity) {
        ChunkCodes chunk;
        ClassifyChunk(in + i, threshold, chunk);
        bool lastIsRepeat = false;
        std::uint64_t codes = ~ValueBytes(chunk.repeats, &lastIsRepeat);
        while (codes != 0) {
            const int at = std::countr_zero(codes);
            codes &= codes - 1;
            const std::uint8_t value = chunk.value[at];
            const std::uint32_t count = chunk.count[at];
            const RunBlock block = RunBlock{} + value;
            std::memcpy(out + o, &block, kRunBlock);
            for (std::uint32_t done = kRunBlock; done < count; done += kRunBlock) {
                std::memcpy(out + o + done, &block, kRunBlock);
            }
            o += count;
        }
        i += kChunk + (lastIsRepeat ? 1 : 0);
    }
    return Progress{i, o};
}

// The same code twice: for any x86-64, and with AVX2, where a run's block
// is one broadcast from memory and one store.
using ChunkDecoder = Progress (*)(const std::uint8_t*, std::uint32_t, std::uint32_t, std::uint32_t,
                                  std::uint8_t*, std::uint32_t);

Progress DecodeChunksBaseline(const std::uint8_t* in, std::uint32_t length, std::uint32_t threshold,
                              std::uint32_t limit, std::uint8_t* out, std::uint32_t capacity) {
    return DecodeChunks(in, length, threshold, limit, out, capacity);
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] Progress DecodeChunksAvx2(const std::uint8_t* in, std::uint32_t length,
                                                  std::uint32_t threshold, std::uint32_t limit,
                                                  std::uint8_t* out, std::uint32_t capacity) {
    return DecodeChunks(in, length, threshold, limit, out, capacity);
}
#else
constexpr ChunkDecoder DecodeChunksAvx2 = DecodeChunksBaseline;
#endif

}  // namespace

namespace run_length_detail {

std::uint32_t DecodeRunLengths(const std::uint8_t* in, std::uint32_t length, bool valueAfterEnd,
                               std::uint32_t threshold, std::uint32_t limit, std::uint8_t* out,
                               std::uint32_t capacity, bool useAvx2) {
    const ChunkDecoder decodeChunks = useAvx2 ? DecodeChunksAvx2 : DecodeChunksBaseline;
    const Progress chunks = decodeChunks(in, length, threshold, limit, out, capacity);
    std::uint32_t i = chunks.in;
    std::uint32_t o = chunks.out;
    // The rest code by code: near the line's end or the output's, or once
    // the limit is reached.
    while (i + 1 < length && o < limit && o + kLongestStore <= capacity) {
        const std::uint32_t code = in[i];
        if (code <= threshold) {
            out[o++] = static_cast<std::uint8_t>(code);
            i += 1;
            continue;
        }
        const std::uint32_t count = code - threshold;
        const std::uint8_t value = in[i + 1];
        for (std::uint32_t done = 0; done < count; done += kRunBlock) {
            std::memset(out + o + done, value, kRunBlock);
        }
        o += count;
        i += 2;
    }
    while (i < length && o < limit) {
        const std::uint32_t code = in[i];
        if (code <= threshold) {
            out[o++] = static_cast<std::uint8_t>(code);
            i += 1;
            continue;
        }
        if (i + 1 == length && !valueAfterEnd) break;
        // Output beyond the limit (at most the capacity) is cut off there.
        const std::uint32_t count = std::min(code - threshold, limit - o);
        std::memset(out + o, in[i + 1], count);
        o += count;
        i += 2;
    }
    return std::min(o, limit);
}

}  // namespace run_length_detail

bool RunLengthDecodeUsesAvx2() {
#if defined(__x86_64__)
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
#else
    return false;
#endif
}

std::uint32_t DecodeRunLengths(const std::uint8_t* in, std::uint32_t length, bool valueAfterEnd,
                               std::uint32_t threshold, std::uint32_t limit, std::uint8_t* out,
                               std::uint32_t capacity) {
    return run_length_detail::DecodeRunLengths(in, length, valueAfterEnd, threshold, limit, out,
                                               capacity, RunLengthDecodeUsesAvx2());
}
