#pragma once

#include "engine/conversion_ui.h"

#include <QString>

namespace shell {

// The message box text for a failure: what could not be done, with which file, and why.
QString FailureText(const engine::Failure& failure);

} // namespace shell
