#include "power/ShutDownComputer.h"

#include "platform/Platform.h"

bool ShutDownComputer::RunPowerMode(int mode) const
{
    if (mode < 0 || mode > 5 || !platform_.power)
        return false;
    return platform_.power->run(static_cast<unsigned>(mode));
}
