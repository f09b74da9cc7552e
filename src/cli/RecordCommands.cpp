#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace brivel::cli {

void registerRecordCommands(CLI::App& /*app*/) {}

} // namespace brivel::cli
