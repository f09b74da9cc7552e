#pragma once

#include "core/store/ObjectContext.h"

#include <filesystem>
#include <string>
#include <vector>

namespace brivel::model {

// Keeps the chart image files of trades whose deletion was saved while the account window is
// open, so that Undo brings such a trade back with its pictures.
//
// Without a keeper a saved deletion removes the files at once (the CLI, tests). With one, the
// save moves them into a hidden folder of the account ("FolderName"); undoing the deletion moves
// them back. When the window closes (windowWillClose, also run by the destructor) the files of
// deletions that stand are removed for good, as are the files of trades brought back by Undo but
// never saved again. Files left aside by a session that did not end cleanly can never be brought
// back: a new keeper removes them.
class ChartImageFileKeeper : private store::ContextListener {
public:
    static constexpr const char* FolderName = ".Deleted Chart Images";

    // One keeper per context; the context must outlive it.
    explicit ChartImageFileKeeper(store::ObjectContext& context);
    ~ChartImageFileKeeper() override;
    ChartImageFileKeeper(const ChartImageFileKeeper&) = delete;
    ChartImageFileKeeper& operator=(const ChartImageFileKeeper&) = delete;

    // The keeper installed for a context, if any.
    static ChartImageFileKeeper* forContext(const store::ObjectContext* context);

    // A save committed the deletion of trade, whose chart images had these stored names.
    void setAside(store::ManagedObject* trade, const std::vector<std::string>& names);

    // The account window closes (after its save question): what can no longer come back goes.
    void windowWillClose();

    // The hidden folder in the account folder.
    std::filesystem::path asideFolder() const;
    // How many trades have files aside now.
    std::size_t keptCount() const { return m_kept.size(); }

private:
    struct KeptFile {
        std::filesystem::path original;
        std::filesystem::path aside; // empty when it could not be moved and stayed in place
    };
    struct Kept {
        store::ManagedObject* trade;
        std::vector<KeptFile> files;
    };

    void objectsInserted(const std::vector<store::ManagedObject*>& objects) override;
    void contextWillReset() override;
    void putBack(Kept& kept);
    void settle();
    void removeStaleFiles();

    store::ObjectContext& m_context;
    std::vector<Kept> m_kept;
    // Trades brought back by Undo whose return is not saved yet; their files are in place.
    std::vector<Kept> m_restored;
};

} // namespace brivel::model
