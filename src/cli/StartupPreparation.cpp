#include "cli/Commands.h"

namespace brivel::cli {

void runStartupPreparation() {}

} // namespace brivel::cli
