// Where the simulator keeps its state and log off Windows.
#include "sim/sim_state.h"

#include <cstdlib>

#include <unistd.h>

namespace vrxsim {

std::string StatePath() {
    const char* explicitPath = std::getenv("VRX310_SIM_STATE");
    if (explicitPath != nullptr && *explicitPath != '\0')
        return explicitPath;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/vrx310-sim.state";
    return "/tmp/vrx310-sim-" + std::to_string(static_cast<unsigned long>(getuid())) + ".state";
}

std::string LogPath() {
    const char* path = std::getenv("VRX310_SIM_LOG");
    return path != nullptr ? path : std::string();
}

} // namespace vrxsim
