#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace brivel {

// An error value modelled on the desktop platform's error objects: a domain, a code and user
// info. The keys used by the system are spelled out as constants below.
struct Error {
    std::string domain;
    int code = 0;
    std::string localizedDescription;
    std::string failureReason;
    std::string recoverySuggestion;
    std::map<std::string, std::string> userInfo;
    // The single errors behind a compound one (the validation kind with code 1560).
    std::vector<Error> detailedErrors;

    // One line for logs and the command line: the description, and the reason when present.
    std::string message() const {
        if (failureReason.empty())
            return localizedDescription;
        return localizedDescription + " " + failureReason;
    }
};

// A caller's programming error, raised at once (the platform's assertion failure): for instance
// "Invalid parameter not satisfying: moc_".
class InternalInconsistency : public std::logic_error {
public:
    InternalInconsistency(std::string source, const std::string& description)
        : std::logic_error(description), m_source(std::move(source)) {}
    const std::string& source() const { return m_source; }

private:
    std::string m_source;
};

namespace errors {
inline constexpr const char* StoreDomain = "BrivelStoreErrorDomain";
inline constexpr const char* ValidationDomain = "BrivelValidationErrorDomain";
inline constexpr const char* FileDomain = "BrivelFileErrorDomain";

// Codes of the validation kind, numbered like the platform's object store codes.
inline constexpr int ValidationMultipleErrors = 1560;
inline constexpr int ValidationMissingMandatoryProperty = 1570;
inline constexpr int ValidationNumberTooSmall = 1610;
inline constexpr int ValidationNumberTooLarge = 1620;
inline constexpr int ValidationStringTooLong = 1660;

// Store file codes.
inline constexpr int FileReadCorrupt = 259;
inline constexpr int FileReadNoSuchFile = 260;
inline constexpr int FileReadUnknown = 256;
inline constexpr int FileReadTooNew = 134100;
inline constexpr int FileWriteUnknown = 512;
} // namespace errors

} // namespace brivel
