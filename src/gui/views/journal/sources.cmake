# Sources of this folder, added to brivel-gui-lib.
target_sources(brivel-gui-lib PRIVATE
    views/journal/JournalView.cpp views/journal/JournalView.h
    views/journal/NotesTableView.cpp views/journal/NotesTableView.h
    views/journal/PriceBarrierTableView.cpp views/journal/PriceBarrierTableView.h
    views/journal/JournalTableView.cpp views/journal/JournalTableView.h
    views/journal/NoteDetailPanel.cpp views/journal/NoteDetailPanel.h
    views/journal/JournalCells.cpp views/journal/JournalCells.h
    views/journal/TypedTextDelegate.cpp views/journal/TypedTextDelegate.h
    views/journal/IndexNameDelegate.cpp views/journal/IndexNameDelegate.h
    views/journal/TableSelectionLink.cpp views/journal/TableSelectionLink.h
    views/journal/ControllerWatcher.h)
