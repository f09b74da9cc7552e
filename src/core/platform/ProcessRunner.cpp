#include "core/platform/ProcessRunner.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace brivel {

ProcessResult PosixProcessRunner::run(const std::string& program,
                                      const std::vector<std::string>& args,
                                      const std::optional<std::string>& workingDirectory) {
    ProcessResult result;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The tools' chatter is not ours to show; their exit status says how they did.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (workingDirectory)
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory->c_str());

    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        result.startError = std::strerror(rc);
        return result;
    }
    result.started = true;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            result.startError = std::strerror(errno);
            return result;
        }
    }
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
        // posix_spawn reports a failed exec as exit 127 from the child.
        if (result.exitStatus == 127 && access(program.c_str(), X_OK) != 0) {
            result.started = false;
            result.startError = "cannot run " + program;
        }
    } else if (WIFSIGNALED(status)) {
        result.signaled = true;
    }
    return result;
}

} // namespace brivel
