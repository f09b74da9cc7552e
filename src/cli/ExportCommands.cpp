#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace brivel::cli {

void registerExportCommands(CLI::App& /*app*/) {}

} // namespace brivel::cli
