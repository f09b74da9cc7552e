#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/TerminalSafeOutput.h"

#include "core/csv/CsvAdditions.h"
#include "core/csv/CsvCharacters.h"
#include "core/csv/CsvParser.h"
#include "core/csv/CsvWriter.h"
#include "core/csv/FileInputStream.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <iostream>
#include <unistd.h>

namespace brivel::cli {

namespace {

struct ParseOptions {
    std::string delimiter = ",";
    std::string encoding;
    std::string file = "-";
};

struct WriteOptions {
    std::string delimiter = ",";
    bool atomic = false;
    std::string output;
};

void checkDelimiter(const std::string& delimiter) {
    try {
        csv::chars::checkedDelimiter(delimiter);
    } catch (const std::invalid_argument& e) {
        throw CLI::ValidationError("--delimiter", e.what());
    }
}

void runParse(const ParseOptions& options) {
    checkDelimiter(options.delimiter);
    runStartupPreparation();
    csv::StringEncoding encoding = csv::StringEncoding::None;
    if (!options.encoding.empty())
        encoding = *csv::encodingForName(options.encoding);
    std::unique_ptr<csv::InputStream> stream;
    if (options.file == "-")
        stream = csv::FileInputStream::withDescriptor(STDIN_FILENO, "standard input");
    else
        stream = std::make_unique<csv::FileInputStream>(options.file);

    Error error;
    auto lines =
        csv::arrayWithContentsOfCSVStream(std::move(stream), &encoding, options.delimiter, &error);
    if (!lines) {
        printJson({{"error",
                    {{"domain", error.domain},
                     {"code", error.code},
                     {"message", error.localizedDescription}}}});
        std::cout.flush();
        std::string message = error.localizedDescription;
        if (auto why = error.userInfo.find("NSUnderlyingError"); why != error.userInfo.end())
            message += " (" + why->second + ")";
        throw CliFailure(message);
    }
    printJson(*lines);
}

// A JSON array of arrays of strings, numbers and nulls. An element that is not an array goes
// through as it is, for the writer to refuse with its own error.
std::vector<csv::CsvValue> linesFromJson(const nlohmann::json& doc) {
    if (!doc.is_array())
        throw CliFailure("standard input must hold a JSON array of lines");
    std::vector<csv::CsvValue> lines;
    lines.reserve(doc.size());
    auto value = [](const nlohmann::json& v, std::size_t line, std::size_t field) {
        switch (v.type()) {
        case nlohmann::json::value_t::null:
            return csv::CsvValue();
        case nlohmann::json::value_t::string:
            return csv::CsvValue(v.get<std::string>());
        case nlohmann::json::value_t::number_integer:
            return csv::CsvValue(v.get<std::int64_t>());
        case nlohmann::json::value_t::number_unsigned:
            return csv::CsvValue(v.get<std::uint64_t>());
        case nlohmann::json::value_t::number_float:
            return csv::CsvValue(v.get<double>());
        default:
            throw CliFailure(fmt::format(
                "line {}, field {}: only strings, numbers and null can be written", line, field));
        }
    };
    for (std::size_t i = 0; i < doc.size(); ++i) {
        const auto& line = doc[i];
        if (!line.is_array()) {
            lines.emplace_back(line.is_string() ? csv::CsvValue(line.get<std::string>())
                                                : csv::CsvValue());
            continue;
        }
        csv::CsvValue::Array fields;
        fields.reserve(line.size());
        for (std::size_t j = 0; j < line.size(); ++j)
            fields.push_back(value(line[j], i + 1, j + 1));
        lines.emplace_back(std::move(fields));
    }
    return lines;
}

void runWrite(const WriteOptions& options) {
    checkDelimiter(options.delimiter);
    runStartupPreparation();
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(std::cin);
    } catch (const nlohmann::json::parse_error& e) {
        throw CliFailure(std::string("standard input is not JSON: ") + e.what());
    }
    const auto lines = linesFromJson(doc);
    Error error;
    if (options.output.empty()) {
        const auto text = csv::CSVStringWithDelimiter(lines, options.delimiter, &error);
        if (!text && !error.localizedDescription.empty())
            throw CliFailure(error.message());
        if (text)
            TerminalSafeOutput::raw() << *text << std::flush; // CSV bytes as they are
        return;
    }
    if (!csv::writeToCSVFile(lines, options.output, options.delimiter, options.atomic, &error))
        throw CliFailure(error.message());
}

} // namespace

void registerCsvCommands(CLI::App& app) {
    auto* csvCommand = app.add_subcommand("csv", "Read and write CSV text");
    csvCommand->require_subcommand(1);

    auto parseOptions = std::make_shared<ParseOptions>();
    auto* parse = csvCommand->add_subcommand(
        "parse", "Print the lines of a CSV file as a JSON array of arrays of fields");
    parse->add_option("--delimiter", parseOptions->delimiter, "Field separator (default \",\")");
    parse
        ->add_option("--encoding", parseOptions->encoding,
                     "utf-8, utf-16le, utf-16be, utf-32le, utf-32be or macintosh; detected "
                     "when not given")
        ->check([](const std::string& name) {
            return csv::encodingForName(name) ? std::string() : "unknown encoding " + name;
        });
    parse->add_option("file", parseOptions->file, "The CSV file, or - for standard input");
    parse->callback([parseOptions] { runParse(*parseOptions); });

    auto writeOptions = std::make_shared<WriteOptions>();
    auto* write = csvCommand->add_subcommand(
        "write", "Write a JSON array of arrays of strings, numbers or nulls as CSV");
    write->add_option("--delimiter", writeOptions->delimiter, "Field separator (default \",\")");
    auto* output =
        write->add_option("-o,--output", writeOptions->output, "Write to this file, not stdout");
    write
        ->add_flag("--atomic", writeOptions->atomic,
                   "Write a temporary file and move it into place when complete")
        ->needs(output);
    write->callback([writeOptions] { runWrite(*writeOptions); });
}

} // namespace brivel::cli
