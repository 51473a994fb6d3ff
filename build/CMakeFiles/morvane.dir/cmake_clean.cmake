file(REMOVE_RECURSE
  "CMakeFiles/morvane.dir/src/driver/main.cc.o"
  "CMakeFiles/morvane.dir/src/driver/main.cc.o.d"
  "morvane"
  "morvane.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/morvane.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
