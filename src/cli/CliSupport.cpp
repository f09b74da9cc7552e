#include "cli/CliSupport.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace brivel::cli {

void printJson(const nlohmann::json& doc) {
    std::cout << doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

bool stdinIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

bool confirmOnTerminal(const std::string& title, const std::string& message, bool assumeYes) {
    if (assumeYes)
        return true;
    if (!stdinIsTerminal())
        throw CliFailure("refusing without a terminal; pass --yes to confirm");
    std::cerr << title << "\n" << message << " [No/Yes] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return answer == "Yes" || answer == "yes" || answer == "y" || answer == "Y";
}

} // namespace brivel::cli
