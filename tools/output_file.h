// Where the developer tools write: a regular file, new or replaced. A folder, a FIFO or a device
// named as the output is refused before it is opened, since opening a FIFO for writing waits
// for a reader that may never come.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace korvel::tools {

// For the output argument: an empty name is an error, not a file called "".
CLI::Validator NonEmptyName();

// Empty when `path` may be written; otherwise why not, ready to follow "cannot write PATH: ".
std::string OutputRefusal(const std::string& path);

// Why the last open or write failed, from errno, ready to follow "cannot write PATH: ".
std::string LastWriteError();

}  // namespace korvel::tools
