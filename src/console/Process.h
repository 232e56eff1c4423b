#pragma once
// The interpreter starts its children through the platform's one process launcher.
#include "console/Text.h"
#include "platform/Process.h"

namespace console {

using process::ControlCExit;
using process::exitCodeOf;
using process::Job;
using process::SpawnRequest;
using process::SpawnResult;
using process::spawnProcess;
using process::splitArguments;
using process::waitForChild;
using process::windowsError;

} // namespace console
