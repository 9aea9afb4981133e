#include "standard_streams.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace cli {

// Windows has no broken-pipe signal; its streams translate line ends unless told not to.
void PrepareStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace cli
