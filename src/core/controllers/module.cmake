# The list controllers the windows and the command line change records through.
brivel_core_module(controllers
    SOURCES controllers/ArrayController.cpp controllers/SortKeyTable.cpp
            controllers/RecordContentSources.cpp
            controllers/LogArrayController.cpp controllers/PriceBarrierArrayController.cpp
            controllers/NoteArrayController.cpp controllers/TradeArrayController.cpp
            controllers/OrderArrayController.cpp
    DEPS brivel-core-model)
