# Sources of this folder, added to brivel-gui-lib.
target_sources(brivel-gui-lib PRIVATE
    document/AccountDocument.cpp document/AccountDocument.h
    document/AccountWindow.cpp document/AccountWindow.h
    document/AccountView.h document/AccountViewFactory.h document/Dialogs.h
    document/EventGroupCloser.cpp document/EventGroupCloser.h)
