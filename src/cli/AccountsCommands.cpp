#include "cli/Commands.h"

#include <CLI/CLI.hpp>

namespace brivel::cli {

void registerAccountsCommands(CLI::App& /*app*/) {}

} // namespace brivel::cli
