#pragma once

#ifndef Q_MOC_RUN
#include "core/store/Value.h"
#endif

#include <QString>
#include <filesystem>
#include <optional>

namespace brivel::gui {

// Turns a stored chart image name into the path of its file in the account's own folder.
class ImgPathTransformer {
public:
    explicit ImgPathTransformer(std::filesystem::path databasePath);

    static bool allowsReverseTransformation() { return false; }

    // Nothing for an absent value or a name that leads nowhere; the file's path for a name; for
    // any other kind of value nothing, and the mismatch goes to the system log.
    std::optional<QString> transformedValue(const store::Value& value) const;

private:
    std::filesystem::path m_databasePath;
};

} // namespace brivel::gui
