#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivel::report {

// The text styles of a report. Plain is the absence of attributes (the text system's default
// font): only the empty-result text uses it.
enum class TextStyle : std::uint8_t {
    Plain,
    Date,        // dateAttributes
    HeaderKey,   // headerKeyAttributes
    HeaderValue, // headerValueAttributes
    Note,        // noteAttributes
    BoldNote,    // boldNoteAttributes
    UlNote,      // ulNoteAttributes
    FlaggedNote, // flaggedNoteAttributes
    GainProfit,  // gainProfitAttributes
    LossProfit,  // lossProfitAttributes
};
inline constexpr std::size_t TextStyleCount = 10;

struct Rgb {
    double red = 0, green = 0, blue = 0; // 0 to 1, fully opaque
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// What a renderer needs to know of a style. The font has its PostScript name ("Helvetica-Bold");
// family and weight are given apart for toolkits that select fonts that way.
struct StyleAttributes {
    std::string_view name;     // the formatter's field name, "dateAttributes"; "" for Plain
    std::string_view fontName; // "" for Plain: the default font
    std::string_view fontFamily;
    bool bold = false;
    double pointSize = 0; // 0 for Plain
    bool underline = false;
    std::optional<Rgb> background;
};

const StyleAttributes& styleAttributes(TextStyle style);

// A picture shown inline at its natural size. The report keeps only where the file is; loading
// it is the renderer's business, and a file that cannot be read leaves an empty place.
struct ImageAttachment {
    std::string storedName;     // as the ChartImage record holds it
    std::filesystem::path file; // resolved in the account's own folder
};

// A report: a sequence of runs, each a piece of UTF-8 text in one style or one inline image.
// A plain value with no toolkit in it; the plain-text and HTML renderers here, and the desktop
// application's text document, read it run by run.
class StyledText {
public:
    struct Run {
        std::size_t offset = 0; // into string()
        std::size_t length = 0; // bytes of text; 0 for an image
        TextStyle style = TextStyle::Plain;
        std::int32_t attachment = -1; // index into attachments(), or -1 for text

        bool isAttachment() const { return attachment >= 0; }
    };

    StyledText() = default;
    // Text without attributes, as one run.
    static StyledText plain(std::string_view text);

    // Appends a run; empty text appends nothing. Runs are kept as appended, never merged, so the
    // layouts stay visible run by run.
    void append(std::string_view text, TextStyle style);
    void appendAttachment(ImageAttachment image);
    void reserve(std::size_t bytes, std::size_t runs);

    bool empty() const { return m_runs.empty(); }
    const std::vector<Run>& runs() const { return m_runs; }
    std::string_view textOf(const Run& run) const {
        return std::string_view(m_text).substr(run.offset, run.length);
    }
    const ImageAttachment& attachmentOf(const Run& run) const {
        return m_attachments.at(static_cast<std::size_t>(run.attachment));
    }
    const std::vector<ImageAttachment>& attachments() const { return m_attachments; }
    // The text of every run in order; images contribute nothing.
    const std::string& string() const { return m_text; }

private:
    std::string m_text;
    std::vector<Run> m_runs;
    std::vector<ImageAttachment> m_attachments;
};

} // namespace brivel::report
