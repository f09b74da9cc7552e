#include "cli/OutputTarget.h"

#include "core/platform/AtomicFile.h"
#include "core/platform/Uuid.h"

#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivel::cli {

namespace fs = std::filesystem;

bool writeOutputFile(const fs::path& file,
                     const std::function<bool(const fs::path&, Error*)>& writeTo, Error* error) {
    std::error_code ec;
    fs::path target = file;
    if (fs::is_symlink(fs::symlink_status(file, ec)))
        target = fs::weakly_canonical(file, ec);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return writeTo(target, error); // a FIFO, a terminal, /dev/null: write into it
    const fs::path temporary =
        target.parent_path() / fmt::format(".{}.tmp-{}-{}", target.filename().string(),
                                           static_cast<long>(::getpid()), makeUuidString());
    if (!writeTo(temporary, error) || !AtomicFile::syncFile(temporary)) {
        if (error && error->localizedDescription.empty()) {
            error->domain = errors::FileDomain;
            error->code = errors::FileWriteUnknown;
            error->localizedDescription =
                fmt::format("The file \"{}\" could not be written.", target.string());
        }
        fs::remove(temporary, ec);
        return false;
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        if (error) {
            *error = Error{};
            error->domain = errors::FileDomain;
            error->code = errors::FileWriteUnknown;
            error->localizedDescription =
                fmt::format("The file \"{}\" could not be replaced.", target.string());
            error->failureReason = ec.message() + ".";
        }
        fs::remove(temporary, ec);
        return false;
    }
    AtomicFile::syncFolder(target.parent_path());
    return true;
}

} // namespace brivel::cli
