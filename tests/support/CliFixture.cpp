#include "support/CliFixture.h"

#ifndef BRIVEL_CLI_PATH
#error "BRIVEL_CLI_PATH must name the brivel-cli executable"
#endif

namespace brivel::test {

CliRun CliFixture::cli(const std::vector<std::string>& args,
                       const std::optional<std::string>& input) const {
    return runProgram(BRIVEL_CLI_PATH, args, temp.path(), input);
}

CliRun CliFixture::ok(const std::vector<std::string>& args) const {
    CliRun r = cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r;
}

nlohmann::json CliFixture::listJson(const std::string& what) const {
    return nlohmann::json::parse(ok({what, "list", "--json"}).out);
}

nlohmann::json CliFixture::list(const std::string& what, const std::string& account) const {
    return nlohmann::json::parse(ok({what, "list", "-a", account, "--json"}).out);
}

} // namespace brivel::test
