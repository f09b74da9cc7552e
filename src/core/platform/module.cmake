# The ports to the host (clock, scheduler, log, processes, locale) and their defaults.
brivel_core_module(platform
    SOURCES platform/Clock.cpp platform/Scheduler.cpp platform/SystemLog.cpp
            platform/ProcessRunner.cpp platform/NotificationCenter.cpp platform/Uuid.cpp
            platform/UserLocale.cpp platform/LocaleFormatter.cpp
            platform/AtomicFile.cpp platform/ProcessHeap.cpp
    DEPS ICU::uc ICU::i18n
    PRIVATE_DEPS fmt::fmt)
