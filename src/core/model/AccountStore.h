#pragma once

#include "core/platform/Error.h"
#include "core/store/EntityDescription.h"
#include "core/store/ObjectContext.h"

#include <filesystem>
#include <memory>

namespace brivel::model {

// The object model of an account: Log, Note, PriceBarrier, Trade, Order, ChartImage.
const store::ObjectModel& accountModel();

// "Default.brdb": an empty account database at path. Refuses to overwrite an existing file.
bool createEmptyAccountStore(const std::filesystem::path& path, Error* error);
// Whether path holds an account database this program can open. Read-only.
bool checkAccountStore(const std::filesystem::path& path, Error* error);
// checkAccountStore and more, for a database that comes in from outside (a restore): SQLite's
// quick_check passes, identifiers are in range and unique across entities, and every chart
// image name leads to a ".png" file directly in the account folder. Opens the file for writing
// (a hot journal is rolled back) but changes nothing else.
bool checkRestorableAccountStore(const std::filesystem::path& path, Error* error);
// A consistent copy of an account database at a new path (for a backup), even while another
// process saves.
bool copyAccountStore(const std::filesystem::path& from, const std::filesystem::path& to,
                      Error* error);
// Opens an account database, loading every record.
std::unique_ptr<store::ObjectContext> openAccountStore(const std::filesystem::path& path,
                                                       Error* error);

} // namespace brivel::model
