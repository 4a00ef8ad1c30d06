#pragma once

#include "QtAnsiCodePage.h"
#include "platform/portable/ProfileEngine.h"

namespace platform {

//! The profile engine over GBK file text.
class LinuxProfile : public ProfileEngine {
public:
    LinuxProfile() : ProfileEngine(ansi_) {}

private:
    QtAnsiCodePage ansi_; // the engine only keeps the reference; it is not used before this exists
};

} // namespace platform
