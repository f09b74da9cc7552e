#pragma once

#include "core/platform/Date.h"
#include "core/platform/LocaleFormatter.h"

#include <optional>
#include <string>

namespace brivel::cli {

// The values of a text listing in the user's locale and time zone; "-" for an absent one.
class TextFormat {
public:
    std::string date(const std::optional<Date>& d) const { return d ? m_format.dateTime(*d) : "-"; }
    std::string number(const std::optional<double>& v) const {
        return v ? m_format.number(*v) : "-";
    }
    static std::string text(const std::optional<std::string>& s) { return s ? *s : "-"; }

private:
    LocaleFormatter m_format;
};

} // namespace brivel::cli
