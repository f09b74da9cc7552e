#pragma once

#include "core/platform/ProcessRunner.h"

#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace brivel::app {

// How a backup or restore ended. detail says why it failed, for the log and the command line.
struct ArchiveOutcome {
    bool succeeded = false;
    std::string detail;
};

// A restore extracted into a staging folder next to the account folder and checked, waiting to
// be swapped into place. The staging folder is removed with the object unless it was committed.
class StagedRestore {
public:
    StagedRestore() = default;
    ~StagedRestore();
    StagedRestore(StagedRestore&& other) noexcept;
    StagedRestore& operator=(StagedRestore&& other) noexcept;
    StagedRestore(const StagedRestore&) = delete;
    StagedRestore& operator=(const StagedRestore&) = delete;

    bool ok() const { return m_ok; }
    const std::string& folderCode() const { return m_folderCode; }
    const std::filesystem::path& stagingFolder() const { return m_staging; }
    const std::string& failure() const { return m_failure; }

private:
    friend class AccountBackup;
    void discard();

    bool m_ok = false;
    std::string m_folderCode;
    std::filesystem::path m_staging;
    std::string m_failure;
};

// Backs an account folder up to a zip archive and restores one from it, with the system's
// archive tools. Every call blocks until the tool has finished and touches only the file system,
// the process runner and the system log, so it may run on a worker thread; the panels and the
// documents are the caller's (see AccountCommands).
class AccountBackup {
public:
    static constexpr const char* ZipTool = "/usr/bin/zip";
    static constexpr const char* UnzipTool = "/usr/bin/unzip";

    explicit AccountBackup(ProcessRunner& runner, std::string zipTool = ZipTool,
                           std::string unzipTool = UnzipTool);

    // Copies the database consistently (SQLite's backup API, so a save in progress elsewhere
    // cannot tear it), runs zip -j TEMP COPY CODE/FILE... in the support folder, TEMP a fresh
    // archive there, and moves it over the chosen path only when zip succeeded: the archive
    // holds exactly this account's files under their bare names, and a failure leaves an older
    // file untouched. Other writers of the account wait meanwhile (AccountLock), unless the
    // application has it open.
    ArchiveOutcome backup(const std::string& folderCode,
                          const std::filesystem::path& archive) const;

    // Runs unzip ARCHIVE -d STAGING in the support folder and accepts the result only if it is a
    // "database.brdb" that passes model::checkRestorableAccountStore plus nothing but plain
    // files. The account folder is not touched.
    StagedRestore stageRestore(const std::string& folderCode,
                               const std::filesystem::path& archive) const;
    // Swaps the staged folder into the account folder's place and removes the old contents,
    // under the account's lock (fails when another process holds it). Close the account's
    // document first. On failure the account folder is as it was.
    ArchiveOutcome commitRestore(StagedRestore& staged) const;

    // The same on a thread of their own; done is called on that thread. The returned thread
    // joins when destroyed, so keep it until done has run.
    std::jthread startBackup(std::string folderCode, std::filesystem::path archive,
                             std::function<void(ArchiveOutcome)> done) const;
    std::jthread startStagingRestore(std::string folderCode, std::filesystem::path archive,
                                     std::function<void(StagedRestore)> done) const;

private:
    ProcessRunner& m_runner;
    std::string m_zipTool;
    std::string m_unzipTool;
};

} // namespace brivel::app
