// Prints what ReadInfoCarryHome finds in the registry, for tests/windows/e2e_wine.sh: "found "
// and the value in UTF-8, "absent" or "not a string".
#include "platform/infocarry_home.h"

#include <cstdio>

int main() {
    const platform::RegistryString home = platform::ReadInfoCarryHome();
    switch (home.status) {
    case platform::RegistryStringStatus::Found:
        std::fwrite("found ", 1, 6, stdout);
        std::fwrite(home.value.data(), 1, home.value.size(), stdout);
        break;
    case platform::RegistryStringStatus::Absent:
        std::fputs("absent", stdout);
        break;
    case platform::RegistryStringStatus::NotAString:
        std::fputs("not a string", stdout);
        break;
    }
    return 0;
}
