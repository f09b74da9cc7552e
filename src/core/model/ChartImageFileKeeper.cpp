#include "core/model/ChartImageFileKeeper.h"

#include "core/model/ChartImageFiles.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace brivel::model {

namespace fs = std::filesystem;

namespace {

// Main thread only, like the contexts themselves.
std::vector<std::pair<const store::ObjectContext*, ChartImageFileKeeper*>>& registry() {
    static std::vector<std::pair<const store::ObjectContext*, ChartImageFileKeeper*>> keepers;
    return keepers;
}

bool isRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::symlink_status(path, ec));
}

void removeFile(const fs::path& path) {
    if (path.empty() || !isRegularFile(path))
        return;
    std::error_code ec;
    fs::remove(path, ec); // nothing to tell: the trade is gone either way
}

} // namespace

ChartImageFileKeeper::ChartImageFileKeeper(store::ObjectContext& context) : m_context(context) {
    registry().emplace_back(&context, this);
    m_context.addListener(this);
    removeStaleFiles();
}

ChartImageFileKeeper::~ChartImageFileKeeper() {
    windowWillClose();
    m_context.removeListener(this);
    std::erase_if(registry(), [this](const auto& entry) { return entry.second == this; });
}

ChartImageFileKeeper* ChartImageFileKeeper::forContext(const store::ObjectContext* context) {
    for (auto& [c, keeper] : registry())
        if (c == context)
            return keeper;
    return nullptr;
}

fs::path ChartImageFileKeeper::asideFolder() const {
    if (m_context.fileURL().empty())
        return {};
    return m_context.fileURL().parent_path() / FolderName;
}

void ChartImageFileKeeper::removeStaleFiles() {
    fs::path folder = asideFolder();
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(fs::symlink_status(folder, ec)))
        return;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        removeFile(it->path());
    fs::remove(folder, ec); // only when empty
}

void ChartImageFileKeeper::setAside(store::ManagedObject* trade,
                                    const std::vector<std::string>& names) {
    std::erase_if(m_restored, [trade](const Kept& k) { return k.trade == trade; });
    Kept kept{trade, {}};
    fs::path folder = asideFolder();
    for (const auto& name : names) {
        auto file = chartImageFile(m_context.fileURL(), name);
        if (!file || !isRegularFile(*file))
            continue;
        std::error_code ec;
        fs::create_directories(folder, ec);
        fs::path aside = folder / file->filename();
        if (!ec)
            fs::rename(*file, aside, ec);
        // A file that cannot be moved stays where it is until the window closes.
        kept.files.push_back({*file, ec ? fs::path() : aside});
    }
    if (!kept.files.empty())
        m_kept.push_back(std::move(kept));
}

void ChartImageFileKeeper::putBack(Kept& kept) {
    for (auto& f : kept.files) {
        if (f.aside.empty())
            continue;
        std::error_code ec;
        // A file that appeared under the name meanwhile is newer: keep it.
        if (fs::exists(fs::symlink_status(f.original, ec)))
            removeFile(f.aside);
        else
            fs::rename(f.aside, f.original, ec);
        f.aside.clear();
    }
}

void ChartImageFileKeeper::objectsInserted(const std::vector<store::ManagedObject*>& objects) {
    for (auto* object : objects) {
        auto it = std::find_if(m_kept.begin(), m_kept.end(),
                               [object](const Kept& k) { return k.trade == object; });
        if (it == m_kept.end())
            continue;
        putBack(*it);
        m_restored.push_back(std::move(*it));
        m_kept.erase(it);
    }
}

void ChartImageFileKeeper::settle() {
    for (auto& kept : m_kept)
        for (auto& f : kept.files)
            removeFile(f.aside.empty() ? f.original : f.aside);
    // A trade brought back but not saved since, or deleted again without a save: the file holds
    // its deletion, so its pictures belong to nothing.
    for (auto& kept : m_restored)
        if (kept.trade->isDeleted() || kept.trade->isInserted())
            for (auto& f : kept.files)
                removeFile(f.original);
    m_kept.clear();
    m_restored.clear();
    std::error_code ec;
    fs::path folder = asideFolder();
    if (!folder.empty())
        fs::remove(folder, ec); // only when empty
}

void ChartImageFileKeeper::contextWillReset() {
    // The records are about to be loaded again from the file, which holds the saved deletions.
    settle();
}

void ChartImageFileKeeper::windowWillClose() {
    settle();
}

} // namespace brivel::model
