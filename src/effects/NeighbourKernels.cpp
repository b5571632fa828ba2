#include "effects/NeighbourKernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
// GCC 12 warns about the deliberately undefined vectors inside its own
// AVX-512 shift intrinsics.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#define GW_X86_KERNELS 1
#endif

#include <atomic>
#include <cstring>

namespace neighbourkernels {

namespace {
std::atomic<Width> allowed{Width::Widest};
}

void setWidth(Width widest)
{
    allowed = widest;
}

#ifdef GW_X86_KERNELS
namespace {

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has && allowed != Width::Plain;
}

bool hasAvx512()
{
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")
                            && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    return has && allowed == Width::Widest;
}

// Sum of channel distances and signed sum of channel differences from p to q
// in each 32-bit lane (the alpha byte ignored).
__attribute__((target("avx2"))) inline void differences(__m256i p, __m256i q, __m256i &distance, __m256i &sum)
{
    const __m256i lowBytes = _mm256_set1_epi32(0x00ff00ff);
    const __m256i greenOnly = _mm256_set1_epi32(0x000000ff);
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i rb = _mm256_sub_epi16(_mm256_and_si256(q, lowBytes), _mm256_and_si256(p, lowBytes));
    const __m256i g = _mm256_sub_epi16(_mm256_and_si256(_mm256_srli_epi32(q, 8), greenOnly),
                                       _mm256_and_si256(_mm256_srli_epi32(p, 8), greenOnly));
    distance = _mm256_add_epi32(_mm256_madd_epi16(_mm256_abs_epi16(rb), ones),
                                _mm256_madd_epi16(_mm256_abs_epi16(g), ones));
    sum = _mm256_add_epi32(_mm256_madd_epi16(rb, ones), _mm256_madd_epi16(g, ones));
}

__attribute__((target("avx2"))) inline __m256i shadeOf(__m256i distance, __m256i sum, __m256i threshold,
                                                        Shade shade)
{
    const __m256i black = _mm256_set1_epi32(int(0xff000000u));
    const __m256i white = _mm256_set1_epi32(int(0xffffffffu));
    const __m256i edge = _mm256_cmpgt_epi32(distance, threshold);
    if (shade == Shade::Edge)
        return _mm256_blendv_epi8(white, black, edge);
    const __m256i grey = _mm256_set1_epi32(int(0xff7d7d7du));
    const __m256i darker = _mm256_cmpgt_epi32(_mm256_setzero_si256(), sum);
    return _mm256_blendv_epi8(grey, _mm256_blendv_epi8(black, white, darker), edge);
}

__attribute__((target("avx2"))) int blockRowsAvx2(const QRgb *s0, const QRgb *s1, QRgb *d0, QRgb *d1,
                                                  int width, int threshold, Shade shade)
{
    const __m256i t = _mm256_set1_epi32(threshold);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s0 + x));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s1 + x));
        // Even lanes hold the blocks' top-left pixels; their right
        // neighbours are moved down into the same lanes.
        const __m256i right = _mm256_srli_epi64(a, 32);
        __m256i distance, sum;
        differences(a, right, distance, sum);
        const __m256i top = shadeOf(distance, sum, t, shade);
        differences(a, b, distance, sum);
        const __m256i bottom = shadeOf(distance, sum, t, shade);
        // Each block's answer fills both of its pixels.
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(d0 + x), _mm256_shuffle_epi32(top, 0xA0));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(d1 + x), _mm256_shuffle_epi32(bottom, 0xA0));
    }
    return x;
}

// 64-bit lanes times a constant, as AVX-512's vpmullq does, from 32-bit
// products.
__attribute__((target("avx2"))) inline __m256i times(__m256i a, uint64_t b)
{
    const __m256i low = _mm256_set1_epi64x(int64_t(b & 0xffffffffu));
    const __m256i high = _mm256_set1_epi64x(int64_t(b >> 32));
    const __m256i cross = _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(a, 32), low), _mm256_mul_epu32(a, high));
    return _mm256_add_epi64(_mm256_mul_epu32(a, low), _mm256_slli_epi64(cross, 32));
}

// rnd_detail::fromState on four lanes, as the 53-bit integers m of the
// draws m / 2^53.
__attribute__((target("avx2"))) inline __m256i drawBitsOf(__m256i s)
{
    __m256i z = times(_mm256_xor_si256(s, _mm256_srli_epi64(s, 30)), 0xBF58476D1CE4E5B9ull);
    z = times(_mm256_xor_si256(z, _mm256_srli_epi64(z, 27)), 0x94D049BB133111EBull);
    return _mm256_srli_epi64(_mm256_xor_si256(z, _mm256_srli_epi64(z, 31)), 11);
}

// The draws themselves, made exact doubles from the integers' two halves.
__attribute__((target("avx2"))) inline __m256d drawsOf(__m256i m)
{
    const __m256i two52 = _mm256_set1_epi64x(0x4330000000000000);
    const __m256d two52d = _mm256_set1_pd(4503599627370496.0);
    const __m256d low = _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_or_si256(_mm256_and_si256(m, _mm256_set1_epi64x(0xffffffff)), two52)), two52d);
    const __m256d high = _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(_mm256_srli_epi64(m, 32), two52)), two52d);
    const __m256d whole = _mm256_add_pd(_mm256_mul_pd(high, _mm256_set1_pd(4294967296.0)), low);
    return _mm256_mul_pd(whole, _mm256_set1_pd(1.0 / 9007199254740992.0));
}

// Bit i of the index as byte i (0 or 1).
constexpr uint32_t OneBytePerBit[16] = {
    0x00000000, 0x00000001, 0x00000100, 0x00000101, 0x00010000, 0x00010001, 0x00010100, 0x00010101,
    0x01000000, 0x01000001, 0x01000100, 0x01000101, 0x01010000, 0x01010001, 0x01010100, 0x01010101};

__attribute__((target("avx2"))) int noiseDecisionsAvx2(uint64_t state, uint64_t step, int y, int width,
                                                       uint8_t *out)
{
    __m256i s = _mm256_add_epi64(_mm256_set1_epi64x(int64_t(state)),
                                 times(_mm256_set_epi64x(3, 2, 1, 0), step));
    const __m256i stride = _mm256_set1_epi64x(int64_t(step * 4));
    const __m256d rowValue = _mm256_set1_pd(double(y));
    const __m256d half = _mm256_set1_pd(double(y) + 0.5);
    const int odd = (y & 1) ? 0xf : 0;
    // u + y rounds to a multiple of 2^(e - 52), e = floor(log2 y): a draw
    // further than that from a half (in units of 2^-53, 2^(e + 1)) falls on
    // its side of y + 0.5 however it rounds, and is decided on the integer
    // alone; the few nearer ones take the double sum, as the plain loop does.
    const int e = y > 0 ? 31 - __builtin_clz(unsigned(y)) : -1;
    const __m256i margin = _mm256_set1_epi64x(y > 0 ? int64_t(1) << (e + 1) : 0);
    const __m256i halfBits = _mm256_set1_epi64x(int64_t(1) << 52);
    int x = 1;
    for (; x + 4 <= width; x += 4, s = _mm256_add_epi64(s, stride)) {
        const __m256i m = drawBitsOf(s);
        const __m256i fromHalf = _mm256_sub_epi64(m, halfBits);
        const int above = _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpgt_epi64(fromHalf, margin)));
        const int below = _mm256_movemask_pd(
            _mm256_castsi256_pd(_mm256_cmpgt_epi64(_mm256_sub_epi64(_mm256_setzero_si256(), margin), fromHalf)));
        int down = above;
        if ((above | below) != 0xf) {
            const __m256d v = _mm256_add_pd(drawsOf(m), rowValue);
            down = _mm256_movemask_pd(_mm256_cmp_pd(v, half, _CMP_GT_OQ))
                   | (_mm256_movemask_pd(_mm256_cmp_pd(v, half, _CMP_EQ_OQ)) & odd);
        }
        std::memcpy(out + x, &OneBytePerBit[down], 4);
    }
    return x;
}

__attribute__((target("avx2"))) int noiseCombineAvx2(const QRgb *cur, const QRgb *up, const uint8_t *here,
                                                     const uint8_t *above, QRgb *d, int width)
{
    const __m256i black = _mm256_set1_epi32(int(0xff000000u));
    const __m256i zero = _mm256_setzero_si256();
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i h = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(here + x)));
        const __m256i a = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(above + x)));
        const __m256i stays = _mm256_cmpeq_epi32(h, zero);
        const __m256i comes = _mm256_cmpgt_epi32(a, zero);
        const __m256i fromAbove = _mm256_blendv_epi8(
            black, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(up + x)), comes);
        const __m256i result = _mm256_blendv_epi8(
            fromAbove, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(cur + x)), stays);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(d + x), result);
    }
    return x;
}

__attribute__((target("avx512f,avx512dq,avx512bw,avx512vl"))) int
noiseDecisionsAvx512(uint64_t state, uint64_t step, int y, int width, uint8_t *out)
{
    const __m512i lanes = _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0);
    __m512i s = _mm512_add_epi64(_mm512_set1_epi64(int64_t(state)),
                                 _mm512_mullo_epi64(lanes, _mm512_set1_epi64(int64_t(step))));
    const __m512i stride = _mm512_set1_epi64(int64_t(step * 8));
    const __m512i m1 = _mm512_set1_epi64(int64_t(0xBF58476D1CE4E5B9ull));
    const __m512i m2 = _mm512_set1_epi64(int64_t(0x94D049BB133111EBull));
    const __m512d scale = _mm512_set1_pd(1.0 / 9007199254740992.0);
    const __m512d rowValue = _mm512_set1_pd(double(y));
    const __m512d half = _mm512_set1_pd(double(y) + 0.5);
    const __mmask8 odd = (y & 1) ? 0xff : 0;
    const __m128i one = _mm_set1_epi8(1);
    int x = 1;
    for (; x + 8 <= width; x += 8, s = _mm512_add_epi64(s, stride)) {
        // rnd_detail::fromState, eight at a time.
        __m512i z = _mm512_mullo_epi64(_mm512_xor_si512(s, _mm512_srli_epi64(s, 30)), m1);
        z = _mm512_mullo_epi64(_mm512_xor_si512(z, _mm512_srli_epi64(z, 27)), m2);
        z = _mm512_xor_si512(z, _mm512_srli_epi64(z, 31));
        const __m512d u = _mm512_mul_pd(_mm512_cvtepu64_pd(_mm512_srli_epi64(z, 11)), scale);
        const __m512d v = _mm512_add_pd(u, rowValue);
        const __mmask8 down = _mm512_cmp_pd_mask(v, half, _CMP_GT_OQ)
                              | (_mm512_cmp_pd_mask(v, half, _CMP_EQ_OQ) & odd);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + x), _mm_maskz_mov_epi8(down, one));
    }
    return x;
}

__attribute__((target("avx512f,avx512bw,avx512vl"))) int
noiseCombineAvx512(const QRgb *cur, const QRgb *up, const uint8_t *here, const uint8_t *above, QRgb *d, int width)
{
    const __m512i black = _mm512_set1_epi32(int(0xff000000u));
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i *>(here + x));
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(above + x));
        const __mmask16 stays = _mm_cmpeq_epi8_mask(h, _mm_setzero_si128());
        const __mmask16 comes = _mm_cmpneq_epi8_mask(a, _mm_setzero_si128());
        const __m512i fromAbove = _mm512_mask_loadu_epi32(black, comes, up + x);
        const __m512i result = _mm512_mask_loadu_epi32(fromAbove, stays, cur + x);
        _mm512_storeu_si512(d + x, result);
    }
    return x;
}

} // namespace
#endif

int blockRows(const QRgb *s0, const QRgb *s1, QRgb *d0, QRgb *d1, int width, int threshold, Shade shade)
{
#ifdef GW_X86_KERNELS
    if (hasAvx2())
        return blockRowsAvx2(s0, s1, d0, d1, width, threshold, shade);
#endif
    (void)s0, (void)s1, (void)d0, (void)d1, (void)width, (void)threshold, (void)shade;
    return 0;
}

int noiseDecisions(uint64_t state, uint64_t step, int y, int width, uint8_t *out)
{
#ifdef GW_X86_KERNELS
    if (hasAvx512())
        return noiseDecisionsAvx512(state, step, y, width, out);
    if (hasAvx2())
        return noiseDecisionsAvx2(state, step, y, width, out);
#endif
    (void)state, (void)step, (void)y, (void)width, (void)out;
    return 1;
}

int noiseCombine(const QRgb *cur, const QRgb *up, const uint8_t *here, const uint8_t *above, QRgb *d, int width)
{
#ifdef GW_X86_KERNELS
    if (hasAvx512())
        return noiseCombineAvx512(cur, up, here, above, d, width);
    if (hasAvx2())
        return noiseCombineAvx2(cur, up, here, above, d, width);
#endif
    (void)cur, (void)up, (void)here, (void)above, (void)d, (void)width;
    return 0;
}

}
