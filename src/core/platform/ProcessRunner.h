#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brivel {

struct ProcessResult {
    bool started = false;  // false when the program could not be started at all
    int exitStatus = -1;   // the exit status when it exited normally
    bool signaled = false; // ended by a signal
    std::string startError;
};

// Starts a child process, waits for it and tells how it ended. Blocking: call it from a worker
// thread when the caller must stay responsive.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    virtual ProcessResult run(const std::string& program, const std::vector<std::string>& args,
                              const std::optional<std::string>& workingDirectory) = 0;
};

class PosixProcessRunner final : public ProcessRunner {
public:
    ProcessResult run(const std::string& program, const std::vector<std::string>& args,
                      const std::optional<std::string>& workingDirectory) override;
};

} // namespace brivel
