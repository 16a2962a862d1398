# Fails when a source file includes a header of a layer above its own.
# Run as: cmake -DSOURCES=<src folder> -P LayerOrder.cmake
#
# Layers bottom first; a layer may include its own headers and those of any
# layer below it. cli and ui stand side by side and never include each other.
set(layers text rules system engine journal model update cli ui app)
set(rank_text 0)
set(rank_rules 1)
set(rank_system 2)
set(rank_engine 3)
set(rank_journal 4)
set(rank_model 5)
set(rank_update 6)
set(rank_cli 7)
set(rank_ui 7)
set(rank_app 8)

set(faults "")
foreach(layer IN LISTS layers)
  file(GLOB files ${SOURCES}/${layer}/*.cpp ${SOURCES}/${layer}/*.hpp ${SOURCES}/${layer}/*.in)
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" target "${line}")
      if(NOT DEFINED rank_${target})
        list(APPEND faults "${file}: ${line} (no such layer)")
      elseif(rank_${target} GREATER rank_${layer}
             OR (rank_${target} EQUAL rank_${layer} AND NOT target STREQUAL layer))
        list(APPEND faults "${file}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Includes of a higher layer:\n${text}")
endif()
