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
// Opens an account database, loading every record.
std::unique_ptr<store::ObjectContext> openAccountStore(const std::filesystem::path& path,
                                                       Error* error);

} // namespace brivel::model
