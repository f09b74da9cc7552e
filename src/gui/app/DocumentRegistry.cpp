#include "gui/app/DocumentRegistry.h"

#include "gui/app/QtScheduler.h"
#include "gui/document/AccountDocument.h"
#include "gui/document/AccountWindow.h"

#include <algorithm>

namespace brivel::gui {

DocumentRegistry::DocumentRegistry(DocumentServices& services, QObject* parent)
    : QObject(parent), m_services(services) {}

DocumentRegistry::~DocumentRegistry() = default;

std::filesystem::path DocumentRegistry::keyOf(const std::filesystem::path& path) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(path), ec);
    return ec ? path.lexically_normal() : canonical;
}

AccountDocument* DocumentRegistry::documentForPath(const std::filesystem::path& path) const {
    const auto key = keyOf(path);
    for (const auto& e : m_entries)
        if (e.key == key)
            return e.document.get();
    return nullptr;
}

AccountDocument* DocumentRegistry::openDocument(const std::filesystem::path& path, Error* error) {
    if (AccountDocument* open = documentForPath(path)) {
        AccountWindow& window = open->window();
        window.show();
        window.raise();
        window.activateWindow();
        return open;
    }
    auto document = AccountDocument::open(path, m_services, std::make_unique<QtScheduler>(), error);
    if (!document)
        return nullptr;
    AccountDocument* raw = document.get();
    connect(raw, &AccountDocument::documentClosed, this, &DocumentRegistry::documentClosed);
    m_entries.push_back({keyOf(path), std::move(document)});
    raw->window().show();
    emit documentOpened(raw);
    return raw;
}

bool DocumentRegistry::closeDocument(const std::filesystem::path& path) {
    AccountDocument* document = documentForPath(path);
    if (!document)
        return false;
    document->closeWithoutPrompt();
    return true;
}

std::vector<AccountDocument*> DocumentRegistry::documents() const {
    std::vector<AccountDocument*> out;
    for (const auto& e : m_entries)
        out.push_back(e.document.get());
    return out;
}

void DocumentRegistry::documentClosed(AccountDocument* document) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [document](const Entry& e) { return e.document.get() == document; });
    if (it == m_entries.end())
        return;
    // The close is still on the stack (closeEvent): delete once it has returned.
    it->document.release()->deleteLater();
    m_entries.erase(it);
}

} // namespace brivel::gui
