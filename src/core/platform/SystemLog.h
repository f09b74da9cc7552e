#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace brivel {

// The fixed log lines the system writes ("Empty query array", ...).
class SystemLog {
public:
    virtual ~SystemLog() = default;
    virtual void log(const std::string& line) = 0;
};

class StderrLog final : public SystemLog {
public:
    void log(const std::string& line) override;
};

class MemoryLog final : public SystemLog {
public:
    void log(const std::string& line) override {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(line);
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    bool contains(const std::string& line) const {
        std::lock_guard lock(m_mutex);
        for (const auto& l : m_lines)
            if (l == line)
                return true;
        return false;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// The log that core code writes to unless told otherwise; the application and the CLI keep the
// default (stderr), tests install a MemoryLog.
SystemLog& systemLog();
void setSystemLog(SystemLog* log); // nullptr restores the default

} // namespace brivel
