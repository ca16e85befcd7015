#pragma once
// The pseudo-random source of the noise-type drawing effects: a linear congruential
// generator that yields the same sequence as the Microsoft C library's rand(), so a
// given effect always paints the same pixels.

#include <cstdint>

class MsRandom
{
public:
    static constexpr int kMax = 32767;

    explicit MsRandom(std::uint32_t seed = 1)
        : m_state(seed)
    {
    }

    // The next number, 0 to kMax: bits 16 to 30 of the advanced state.
    int Next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t m_state;
};
