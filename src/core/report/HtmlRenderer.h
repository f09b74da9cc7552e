#pragma once

#include "core/report/StyledText.h"

#include <string>
#include <string_view>

namespace brivel::report {

// The report as a standalone HTML page: one CSS class per style (font, size, underline,
// background), line breaks and runs of spaces kept, images by absolute file:// URL at their
// natural size. All text is escaped and invalid UTF-8 replaced, so nothing a record holds can
// become markup.
std::string renderHtml(const StyledText& text, std::string_view title = "Report");

// Text made safe for HTML element content and attribute values.
void appendHtmlEscaped(std::string_view text, std::string& out);
// A file path as a file:// URL, every byte outside the unreserved set percent-encoded.
std::string fileUrl(const std::filesystem::path& path);

} // namespace brivel::report
