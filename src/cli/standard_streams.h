#pragma once

namespace cli {

// Makes the process's standard streams fit for the converter: Shift_JIS bytes pass unchanged (no
// line-end translation), and a reader that goes away early (`| head`) makes the write fail
// instead of ending the process, so the temporary copy of standard input is still removed.
void PrepareStandardStreams();

} // namespace cli
