#pragma once

#include <cstdint>

// SplitMix64: tiny, and unlike the standard distributions it gives the same numbers on every platform.
class TGameRandom {
public:
    explicit TGameRandom(std::uint64_t& State) : FState(State) {}

    std::uint64_t Next()
    {
        std::uint64_t Z = (FState += 0x9E3779B97F4A7C15ULL);
        Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBULL;
        return Z ^ (Z >> 31);
    }

    // Uniform in [Low, High).
    double Between(double Low, double High)
    {
        const double Unit = static_cast<double>(Next() >> 11) * 0x1.0p-53;
        return Low + (High - Low) * Unit;
    }

    bool Coin() { return (Next() >> 63) != 0; }

private:
    std::uint64_t& FState;
};
