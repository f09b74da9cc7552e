#include "core/report/PlainTextRenderer.h"

namespace brivel::report {

std::string renderPlainText(const StyledText& text) {
    std::string out;
    out.reserve(text.string().size() + text.attachments().size() * 64);
    for (const auto& run : text.runs()) {
        if (run.isAttachment()) {
            out += "[image: ";
            out += text.attachmentOf(run).file.string();
            out += ']';
        } else {
            out += text.textOf(run);
        }
    }
    return out;
}

} // namespace brivel::report
