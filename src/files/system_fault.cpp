#include "files/system_fault.h"

#include "engine/file_error.h"

namespace files {

SystemFault SystemFaultOf(int code) {
    switch (code) {
    case engine::kNotARegularFileCode:
        return SystemFault::NotARegularFile;
    case engine::kUnstorableValueCode:
        return SystemFault::UnstorableValue;
    default:
        return code > 0 ? detail::SystemFaultOfSystemCode(code) : SystemFault::Other;
    }
}

} // namespace files
