// The Wine registry reader on arbitrary user.reg contents.
#include "fuzz_check.h"
#include "platform/infocarry_home.h"
#include "platform/wine_registry.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::RegistryString found = platform::FindWineRegistryString(
        text, platform::kInfoCarryManagerKey, platform::kHomePathValueName);
    if (found.status != platform::RegistryStringStatus::Found)
        FUZZ_CHECK(found.value.empty());
    FUZZ_CHECK(found.value.find('\0') == std::string::npos);
    return 0;
}
