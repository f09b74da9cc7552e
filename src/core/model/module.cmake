# The records of an account and their bookkeeping.
brivel_core_module(model
    SOURCES model/Entities.cpp model/Trade.cpp model/Order.cpp model/OrderShareBalance.cpp
            model/ChartImageFiles.cpp model/ChartImageFileKeeper.cpp
            model/Schema.cpp
    DEPS brivel-core-store)
