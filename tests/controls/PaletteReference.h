#pragma once
// The palette-image effects computed pixel by pixel exactly as their formulas
// read, with the generator written out again: what the effect tests compare with.

#include "controls/DrawingEffects.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace effectstest {

// The C library generator, written out again for the test.
class ReferenceRandom
{
public:
    int Next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state = 1;
};

inline int C(int t)
{
    return t * t * t / 128 / 128;
}

// Palette indices, one per pixel, indexed [row from the bottom][column], computed
// pixel by pixel exactly as the formulas read.
inline std::vector<std::vector<int>> ReferenceIndices(int effect, int W, int H, int g)
{
    ReferenceRandom rnd;
    const int R = g == 0 ? 1 : 2 * g;
    std::vector<std::vector<int>> v(static_cast<std::size_t>(H), std::vector<int>(static_cast<std::size_t>(W), 0));
    if (effect == kEffectMetal) {
        const int m = std::min(W, H);
        for (int k = 0; k < 200; ++k) {
            const int r1 = rnd.Next(), r2 = rnd.Next(), r3 = rnd.Next(), r4 = rnd.Next();
            const int x0 = r1 / std::max(1, 32767 / W);
            const int y0 = r2 / std::max(1, 32767 / H);
            const int L = r3 / std::max(1, 32767 / m) / 2;
            const int val = r4 / 819;
            const auto set = [&](int col, int rowFromTop) {
                if (col >= 0 && col < W && rowFromTop >= 0 && rowFromTop < H)
                    v[static_cast<std::size_t>(H - 1 - rowFromTop)][static_cast<std::size_t>(col)] = val;
            };
            for (int j = 0; j < L; ++j) {
                if (x0 - j > 0 && y0 + j < H)
                    set(x0 - j, y0 + j);
                if (x0 + j < W && y0 - j > 0)
                    set(W - x0 + j, y0 - j);
            }
        }
    }
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const int n = rnd.Next() / (32767 / R);
            int p = 0;
            switch (effect) {
            case kEffectNoise: p = 128 + n - g; break;
            case kEffectDiagShade: {
                const int k = (255 - 2 * g) / 2;
                p = k * (W - x) / W + k * y / H + n;
                break;
            }
            case kEffectHShade: p = (255 - 2 * g) * y / H + n; break;
            case kEffectVShade: p = (255 - 2 * g) * (W - x) / W + n; break;
            case kEffectHBump: p = C(255 * y / H - 127) * (128 - g) / 128 + 128 + n - g; break;
            case kEffectVBump: p = std::min(255, C(255 * (W - x) / W - 127) * (128 - g) / 128 + 128) + n - g; break;
            case kEffectSoftBump: {
                int s = (C(255 * (W - x) / W - 127) + C(255 * y / H - 127)) * (128 - g) / 128 + 128;
                s = std::min(std::max(s, g), 255 - g);
                p = s + n - g;
                break;
            }
            case kEffectHardBump: {
                int s = C(255 * y / H - 127) * (64 - g) * 2 / 128 + 128;
                const int e = std::min(W / 6, 16);
                const long long Q = static_cast<long long>(H) * H / 4;
                const long long yy = y - H / 2;
                const int B = static_cast<int>(Q == 0 ? 0 : e * yy * yy / Q) + W / 2 - e;
                const int xx = x - W / 2;
                if (e > 0 && xx > B)
                    s = g + (W - x) * 128 / e;
                if (e > 0 && xx + B < 0)
                    s = (255 - g) - x * 128 / e;
                p = s + n - g;
                break;
            }
            case kEffectMetal: {
                const int u = (215 - 2 * g) / 2;
                p = v[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] + u * (W - x) / W + u * y / H + n;
                break;
            }
            default: break;
            }
            v[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = ((p % 256) + 256) % 256;
        }
    }
    return v;
}

} // namespace effectstest
