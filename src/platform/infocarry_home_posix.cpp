#include "platform/infocarry_home.h"

#include "platform/wine_registry.h"

namespace platform {

// Without a Windows registry, the infoCarry Manager can only be running under Wine.
RegistryString ReadInfoCarryHome() {
    const std::optional<std::filesystem::path> prefix = WinePrefixFromEnv(ProcessEnvironment());
    if (!prefix)
        return {};
    return ReadInfoCarryHomeFromWine(*prefix);
}

} // namespace platform
