#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <vector>

#ifndef Q_MOC_RUN
#include "core/platform/Error.h"
#endif

namespace brivel::gui {

class AccountDocument;
struct DocumentServices;

// Which document is open for which database: opening an open account brings its window forward
// instead of opening it twice, and deletion or restore can close one outright.
class DocumentRegistry : public QObject {
    Q_OBJECT
public:
    explicit DocumentRegistry(DocumentServices& services, QObject* parent = nullptr);
    ~DocumentRegistry() override;

    AccountDocument* documentForPath(const std::filesystem::path& databasePath) const;
    // Opens the account and shows its window; an open one comes to the front. Nothing (with
    // error) when the database cannot be opened.
    AccountDocument* openDocument(const std::filesystem::path& databasePath,
                                  Error* error = nullptr);
    // Closes the document of that database at once, without asking. True when one was open.
    bool closeDocument(const std::filesystem::path& databasePath);
    // Open documents, oldest first.
    std::vector<AccountDocument*> documents() const;

signals:
    void documentOpened(brivel::gui::AccountDocument* document);

private:
    struct Entry {
        std::filesystem::path key;
        std::unique_ptr<AccountDocument> document;
    };
    static std::filesystem::path keyOf(const std::filesystem::path& path);
    void documentClosed(AccountDocument* document);

    DocumentServices& m_services;
    std::vector<Entry> m_entries;
};

} // namespace brivel::gui
