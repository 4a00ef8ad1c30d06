#include "appearance/ThemeRotation.h"

namespace {

// One step of the generator: x -> x * kMul + kAdd.
constexpr std::uint32_t kMul = 134775813u;
constexpr std::uint32_t kAdd = 1u;

std::uint32_t Below(std::uint32_t seed, std::uint32_t n)
{
    return std::uint32_t((std::uint64_t(seed) * n) >> 32);
}

} // namespace

int ThemeRotation::Pick(int order, std::int32_t& counter, int length)
{
    if (length <= 0)
        return -1;
    if (order == InOrder) {
        if (std::uint32_t(counter) >= std::uint32_t(length))
            counter = 0;
        return counter;
    }
    counter = std::int32_t(std::uint32_t(counter) + 1u); // wraps like the 32-bit counter it is
    const std::int64_t draws = std::int64_t(counter) + 1;
    if (draws <= 0)
        return 0; // a counter below -1 draws nothing: the first entry
    return int(RandomAfter(std::uint32_t(draws), std::uint32_t(length)));
}

void ThemeRotation::Taken(int order, std::int32_t& counter)
{
    if (order == InOrder)
        counter = std::int32_t(std::uint32_t(counter) + 1u);
}

std::uint32_t ThemeRotation::Random(std::uint32_t n)
{
    seed_ = seed_ * kMul + kAdd;
    return Below(seed_, n);
}

std::uint32_t ThemeRotation::RandomAfter(std::uint32_t count, std::uint32_t n)
{
    // The same numbers as `count` calls of Random, in steps of doubling length, so that a
    // hand-edited huge counter does not hold up the exit.
    std::uint32_t mul = kMul, add = kAdd;
    std::uint32_t totalMul = 1u, totalAdd = 0u;
    for (std::uint32_t k = count; k != 0; k >>= 1) {
        if (k & 1u) {
            totalMul *= mul;
            totalAdd = totalAdd * mul + add;
        }
        add = add * mul + add;
        mul *= mul;
    }
    seed_ = seed_ * totalMul + totalAdd;
    return Below(seed_, n);
}
