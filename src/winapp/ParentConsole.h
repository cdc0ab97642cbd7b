// A window program has no console of its own; when it was started from one, usage errors,
// --help and the notes about the machine should still reach it.
#pragma once

namespace korvel::winapp {

// Sends the standard output and error streams to the console of the starting process, if it
// has one and the streams lead nowhere yet.
void UseParentConsole();

}  // namespace korvel::winapp
