#pragma once

#include <functional>
#include <optional>

//! Runs `body` in a forked child as an ordinary user: as root the child first drops to
//! nobody (uid and gid 65534, no groups), since root reads every file whatever its mode.
//! Gives the child's exit status, or nothing when no unprivileged child could be made
//! (the caller skips). `body` returns kSkip when the child still could read what it must not.
std::optional<int> RunAsOrdinaryUser(const std::function<int()>& body);

inline constexpr int kSkip = 77;
