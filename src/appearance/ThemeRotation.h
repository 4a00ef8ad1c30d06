#pragma once

#include <cstdint>

//! Which entry of the theme or the wallpaper list a change takes: the next one in list order,
//! or one drawn by the program's one generator (seed 0 at each start). The counters live with
//! their lists, as stored in the settings: in order the next position, at random the number
//! of random changes made so far, which the generator is jumped ahead by.
class ThemeRotation {
public:
    //! The change mode box's entries.
    enum Order { InOrder = 0, AtRandom = 1 };

    static bool Known(int order) { return order == InOrder || order == AtRandom; }

    //! The position a change takes in a list of `length`, or -1 for an empty list. A random
    //! change counts itself in `counter` here; an ordered one is counted by Taken() once it
    //! has been made, so that a change that fails is tried again at the next exit.
    int Pick(int order, std::int32_t& counter, int length);
    //! An ordered change was made: the next one takes the entry after it.
    static void Taken(int order, std::int32_t& counter);

    //! The next number below `n`.
    std::uint32_t Random(std::uint32_t n);
    //! Jumps the generator `count` draws ahead; the number below `n` of the last of them.
    std::uint32_t RandomAfter(std::uint32_t count, std::uint32_t n);

private:
    std::uint32_t seed_ = 0;
};
