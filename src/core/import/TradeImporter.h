#pragma once

#include "core/import/ImportFileReader.h"
#include "core/import/ImportOptions.h"
#include "core/import/ImportPlan.h"
#include "core/import/ImportSummary.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "core/store/ObjectContext.h"

#include <filesystem>
#include <functional>
#include <string>

namespace brivel::app {
class Preferences;
}

namespace brivel::import {

// Imports trades into an account in two steps: read the whole file into a plan (nothing is
// changed, every bad line is known), then create the planned records through the trade and
// order list controllers, so the record rules date them and name their chart images and the
// trade's own bookkeeping closes and prices them. The records of one import are one undo step;
// saving is the caller's, once.
class TradeImporter {
public:
    // Everything must outlive the importer. folderCode: the account's, for chart image names.
    TradeImporter(store::ObjectContext& context, app::Preferences& preferences, const Clock& clock,
                  Prompter& prompter, std::string folderCode);

    // Reads the file; executions (and whole trades of the own format) that the account already
    // holds are left out and counted unless options.keepDuplicates.
    ImportPlan read(const std::filesystem::path& file, const ImportOptions& options,
                    ImportFileReader::Progress progress = {}) const;

    // Told after each trade created, with the number done and the number planned.
    using Progress = std::function<void(std::size_t done, std::size_t total)>;

    // Creates the planned trades. Strategy names the preferences do not list are added at the
    // end of "arrayOfStrategies", written at once, unless addStrategies is false (a dry run, which
    // then only says what it would add). Does not save the account.
    ImportSummary apply(const ImportPlan& plan, bool addStrategies, Progress progress = {});

private:
    class StrategyPositions;

    store::ObjectContext& m_context;
    app::Preferences& m_preferences;
    const Clock& m_clock;
    Prompter& m_prompter;
    std::string m_folderCode;
};

} // namespace brivel::import
