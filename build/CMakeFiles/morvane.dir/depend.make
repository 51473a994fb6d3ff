# Empty dependencies file for morvane.
# This may be replaced when dependencies are built.
