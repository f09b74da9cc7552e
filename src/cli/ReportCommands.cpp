#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace brivel::cli {

void registerReportCommands(CLI::App& /*app*/) {}

} // namespace brivel::cli
