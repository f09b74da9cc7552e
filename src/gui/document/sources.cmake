# Sources of this folder, added to brivel-gui-lib.
