#include "core/report/StyledText.h"

namespace brivel::report {

namespace {

constexpr Rgb Yellow{1, 1, 0};
constexpr Rgb Green{0, 1, 0};
constexpr Rgb Red{1, 0, 0};

const std::array<StyleAttributes, TextStyleCount>& styleTable() {
    static const std::array<StyleAttributes, TextStyleCount> table{{
        {"", "", "", false, 0, false, std::nullopt},
        {"dateAttributes", "Helvetica-Bold", "Helvetica", true, 18, true, std::nullopt},
        {"headerKeyAttributes", "Helvetica-Bold", "Helvetica", true, 14, false, std::nullopt},
        {"headerValueAttributes", "Helvetica", "Helvetica", false, 14, false, std::nullopt},
        {"noteAttributes", "Helvetica", "Helvetica", false, 12, false, std::nullopt},
        {"boldNoteAttributes", "Helvetica-Bold", "Helvetica", true, 12, false, std::nullopt},
        {"ulNoteAttributes", "Helvetica", "Helvetica", false, 12, true, std::nullopt},
        {"flaggedNoteAttributes", "Helvetica", "Helvetica", false, 12, false, Yellow},
        {"gainProfitAttributes", "Helvetica-Bold", "Helvetica", true, 14, false, Green},
        {"lossProfitAttributes", "Helvetica-Bold", "Helvetica", true, 14, false, Red},
    }};
    return table;
}

} // namespace

const StyleAttributes& styleAttributes(TextStyle style) {
    auto index = static_cast<std::size_t>(style);
    return styleTable().at(index < TextStyleCount ? index : 0);
}

StyledText StyledText::plain(std::string_view text) {
    StyledText out;
    out.append(text, TextStyle::Plain);
    return out;
}

void StyledText::append(std::string_view text, TextStyle style) {
    if (text.empty())
        return;
    m_runs.push_back(Run{m_text.size(), text.size(), style, -1});
    m_text.append(text);
}

void StyledText::appendAttachment(ImageAttachment image) {
    m_attachments.push_back(std::move(image));
    m_runs.push_back(Run{m_text.size(), 0, TextStyle::Plain,
                         static_cast<std::int32_t>(m_attachments.size() - 1)});
}

void StyledText::reserve(std::size_t bytes, std::size_t runs) {
    m_text.reserve(bytes);
    m_runs.reserve(runs);
}

} // namespace brivel::report
