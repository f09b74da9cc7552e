#pragma once

// How the journal's cells show and read their values: dates in the medium style, typed dates
// read by the date entry formatter, levels as grouped numbers.

#include "gui/ArrayControllerModel.h"

#include <QString>
#include <optional>

namespace brivel::gui::journal {

// "May 1, 2024": the medium date style.
QString mediumDate(const store::Value& value);
// "May 1, 2024, 9:30 AM": the medium date style and the short time.
QString mediumDateTime(const store::Value& value);
// A typed date, in the short, medium or long style (local midnight of that day); text equal to
// how the old value shows keeps the old value, so that passing through a cell changes nothing.
// Nothing when the text is no date.
std::optional<store::Value> readDate(const QString& text, const store::Value& old,
                                     QString (*shown)(const store::Value&));
// A level: grouped, no decimals unless it has a fraction.
QString level(const store::Value& value);
// A typed level in the user's locale (or plain digits); empty text clears it.
std::optional<store::Value> readLevel(const QString& text);

} // namespace brivel::gui::journal
