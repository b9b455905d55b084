#pragma once

#include "cli/CliCommand.h"

// tidewell-cli create-db PATH: a new, empty message archive; never over an existing file.
[[nodiscard]] CliCommand createDbCommand();
