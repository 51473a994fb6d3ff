file(REMOVE_RECURSE
  "libmorvane_core.a"
)
