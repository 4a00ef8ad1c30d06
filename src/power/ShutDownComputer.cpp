#include "power/ShutDownComputer.h"

#include "platform/Platform.h"

bool ShutDownComputer::RunPowerMode(PowerMode mode) const
{
    return platform_.power && platform_.power->run(static_cast<unsigned>(mode));
}

QString ShutDownComputer::ModeName(int index)
{
    const std::optional<PowerMode> mode = PowerModeAt(index);
    return mode ? PowerModeName(*mode) : QString();
}
