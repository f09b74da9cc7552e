#include "support/CliRun.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <sys/wait.h>

namespace brivel::test {

namespace {
std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
} // namespace

CliRun runProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& scratch, const std::optional<std::string>& input) {
    std::string command = shellQuoted(program);
    for (const auto& a : args)
        command += " " + shellQuoted(a);
    const auto in = scratch / "stdin", out = scratch / "stdout", err = scratch / "stderr";
    if (input)
        writeFile(in, *input);
    command += " <" + (input ? shellQuoted(in.string()) : std::string("/dev/null")) + " >" +
               shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    CliRun r;
    int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    return r;
}

} // namespace brivel::test
