#include "appearance/ThemeRotation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ThemeRotation, GeneratorJumpsAheadToTheSameNumbers)
{
    ThemeRotation a;
    const std::uint32_t first[] = {a.Random(5), a.Random(5), a.Random(5), a.Random(5)};
    EXPECT_EQ(std::vector<std::uint32_t>(std::begin(first), std::end(first)),
              (std::vector<std::uint32_t>{0, 0, 4, 1}));
    for (std::uint32_t count : {1u, 2u, 3u, 7u, 100000u}) {
        ThemeRotation loop;
        std::uint32_t last = 0;
        for (std::uint32_t i = 0; i < count; ++i)
            last = loop.Random(1000);
        const std::uint32_t next = loop.Random(1000);
        ThemeRotation jump;
        EXPECT_EQ(jump.RandomAfter(count, 1000), last) << count;
        EXPECT_EQ(jump.Random(1000), next) << count;
    }
}

} // namespace
