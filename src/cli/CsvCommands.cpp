#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace brivel::cli {

void registerCsvCommands(CLI::App& /*app*/) {}

} // namespace brivel::cli
