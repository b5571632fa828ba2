#include "effects/NeighbourKernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
// GCC 12 warns about the deliberately undefined vectors inside its own
// AVX-512 shift intrinsics.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#define GW_X86_KERNELS 1
#endif

#include <atomic>

namespace neighbourkernels {

namespace {
std::atomic_bool enabled{true};
}

void setEnabled(bool on)
{
    enabled = on;
}

#ifdef GW_X86_KERNELS
namespace {

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has && enabled;
}

bool hasAvx512()
{
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")
                            && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    return has && enabled;
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
#endif
    (void)state, (void)step, (void)y, (void)width, (void)out;
    return 1;
}

int noiseCombine(const QRgb *cur, const QRgb *up, const uint8_t *here, const uint8_t *above, QRgb *d, int width)
{
#ifdef GW_X86_KERNELS
    if (hasAvx512())
        return noiseCombineAvx512(cur, up, here, above, d, width);
#endif
    (void)cur, (void)up, (void)here, (void)above, (void)d, (void)width;
    return 0;
}

}
