// brivel-cli csv parse / csv write.
#include "support/CliFixture.h"

namespace brivel::test {
namespace {

using nlohmann::json;

class CsvCommandsTest : public CliFixture {
protected:
    std::string path(const std::string& name) const { return CliFixture::path(name).string(); }
};

TEST_F(CsvCommandsTest, ParsePrintsTheLinesOfAFileOrStandardInputAsJson) {
    writeFile(path("in.csv"), "Trade #,Price\n1,\"$1,234.50\"\n2,\"said \"\"hi\"\"\nthen\"\n");
    const auto r = cli({"csv", "parse", path("in.csv")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"([["Trade #","Price"],["1","$1,234.50"],
                                                  ["2","said \"hi\"\nthen"]])"));

    const auto dash = cli({"csv", "parse", "--delimiter", ";", "-"}, "a;b,c\n");
    EXPECT_EQ(dash.status, 0) << dash.err;
    EXPECT_EQ(json::parse(dash.out), json::parse(R"([["a","b,c"]])"));
    const auto none = cli({"csv", "parse"}, "x\n");
    EXPECT_EQ(json::parse(none.out), json::parse(R"([["x"]])"));

    writeFile(path("le.csv"), std::string("\xE9\0,\0b\0\n\0", 8));
    const auto le = cli({"csv", "parse", "--encoding", "utf-16le", path("le.csv")});
    EXPECT_EQ(le.status, 0) << le.err;
    EXPECT_EQ(json::parse(le.out), json::parse(R"([["é","b"]])"));
}

TEST_F(CsvCommandsTest, ParseFailuresPrintTheErrorAsJsonAndExitOne) {
    const auto bad = cli({"csv", "parse"}, "a,\"b\"c\n");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(json::parse(bad.out),
              json::parse(R"({"error": {"domain": "com.brivel.TradeJournal.csv", "code": 2,
                  "message": "Invalid CSV format on line #1 immediately after \"\"b\"\""}})"));
    EXPECT_NE(bad.err.find("brivel-cli: Invalid CSV format"), std::string::npos);

    const auto missing = cli({"csv", "parse", path("nope.csv")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(json::parse(missing.out)["error"]["code"], 1);
    EXPECT_EQ(json::parse(missing.out)["error"]["message"], "Unable to open file for reading");
}

TEST_F(CsvCommandsTest, UnusableOptionsAreUsageErrors) {
    EXPECT_EQ(cli({"csv", "parse", "--delimiter", "##"}, "a").status, 2);
    EXPECT_EQ(cli({"csv", "parse", "--encoding", "klingon"}, "a").status, 2);
    EXPECT_EQ(cli({"csv", "write", "--atomic"}, "[]").status, 2);
    EXPECT_EQ(cli({"csv", "write", "--delimiter", "\""}, "[]").status, 2);
}

TEST_F(CsvCommandsTest, WritePrintsCsvTextOrWritesAFile) {
    const auto r = cli({"csv", "write"}, R"([["a", "b,c", 1, 2.5, null], [], ["#x", "q\"q"]])");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "a,\"b,c\",1,2.5,\n\n\"#x\",\"q\"\"q\"\n");
    const auto semi = cli({"csv", "write", "--delimiter", ";"}, R"([["a,b", "c;d"]])");
    EXPECT_EQ(semi.out, "a,b;\"c;d\"\n");
    const auto empty = cli({"csv", "write"}, "[]");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");

    // To files, in place or atomically.
    writeFile(path("out.csv"), "old\n");
    EXPECT_EQ(cli({"csv", "write", "-o", path("out.csv")}, R"([["a"]])").status, 0);
    EXPECT_EQ(readFile(path("out.csv")), "a\n");
    EXPECT_EQ(cli({"csv", "write", "--atomic", "-o", path("out.csv")}, R"([["b"]])").status, 0);
    EXPECT_EQ(readFile(path("out.csv")), "b\n");
}

TEST_F(CsvCommandsTest, WriteFailuresExitOneWithAMessage) {
    const auto structure = cli({"csv", "write", "-o", path("s.csv")}, R"([["a"], "b"])");
    EXPECT_EQ(structure.status, 1);
    EXPECT_EQ(structure.err, "brivel-cli: Invalid array structure\n");
    EXPECT_FALSE(std::filesystem::exists(path("s.csv")));

    const auto unwritable = cli({"csv", "write", "-o", path("no/such/dir.csv")}, R"([["a"]])");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("No such file or directory"), std::string::npos);

    EXPECT_EQ(cli({"csv", "write"}, R"([["a", true]])").status, 1);
    EXPECT_EQ(cli({"csv", "write"}, R"({"a": 1})").status, 1);
    EXPECT_EQ(cli({"csv", "write"}, "not json").status, 1);
}

} // namespace
} // namespace brivel::test
