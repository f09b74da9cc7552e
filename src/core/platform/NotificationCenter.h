#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brivel {

// Posts named notifications with an object to the observers registered for that name. Observers
// are told synchronously, on the posting thread.
class NotificationCenter {
public:
    using Token = std::uint64_t;
    using Handler = std::function<void(const std::string& name, const void* object)>;

    static NotificationCenter& defaultCenter();

    // object == nullptr observes every sender.
    Token addObserver(const std::string& name, const void* object, Handler handler);
    void removeObserver(Token token);
    void post(const std::string& name, const void* object);

private:
    struct Entry {
        Token token;
        std::string name;
        const void* object;
        Handler handler;
    };
    std::vector<Entry> m_entries;
    Token m_next = 1;
};

} // namespace brivel
