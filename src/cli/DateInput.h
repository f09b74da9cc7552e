#pragma once

#include "core/platform/Date.h"

#include <optional>
#include <string_view>

namespace brivel::cli {

// The date forms the command line takes: "YYYY-MM-DD" (local midnight), "YYYY-MM-DDTHH:MM[:SS]"
// (local time), and the latter with "Z" or an offset "+HHMM" / "+HH:MM". Nothing when the text
// is none of them or names no real day or time.
std::optional<Date> parseInputDate(std::string_view text);

// The end of a range (--to): a bare date means the whole day, up to and including 23:59:59 local
// time, as the report view's end date; a time given is taken as it is.
std::optional<Date> parseRangeEnd(std::string_view text);

} // namespace brivel::cli
