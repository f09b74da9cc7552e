#include "core/platform/SystemLog.h"

#include <atomic>
#include <cstdio>

namespace brivel {

void StderrLog::log(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

namespace {
StderrLog g_defaultLog;
std::atomic<SystemLog*> g_log{&g_defaultLog};
} // namespace

SystemLog& systemLog() {
    return *g_log.load();
}
void setSystemLog(SystemLog* log) {
    g_log.store(log ? log : &g_defaultLog);
}

} // namespace brivel
