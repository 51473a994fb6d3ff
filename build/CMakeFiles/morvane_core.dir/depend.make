# Empty dependencies file for morvane_core.
# This may be replaced when dependencies are built.
