#pragma once

#include "core/report/StyledText.h"

#include <string>

namespace brivel::report {

// The report as the text it shows: every run's text in order, styles dropped, an inline image as
// "[image: PATH]" with the absolute path of its file. What brivel-cli prints and what tests read.
std::string renderPlainText(const StyledText& text);

} // namespace brivel::report
