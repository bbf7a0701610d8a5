# qd_library(NAME source...): one library of a folder, with the folder as its
# own include folder. Static in the program; shared in the test build
# (QD_SHARED_LIBS), where many test programs link the same libraries. With
# QD_UNITY_BUILD the library's sources compile a few to a unit, so Qt's
# headers are read once per unit instead of once per source.
option(QD_UNITY_BUILD "Compile the libraries' sources in batches" OFF)
function(qd_library name)
  if(QD_SHARED_LIBS)
    add_library(${name} SHARED ${ARGN})
  else()
    add_library(${name} STATIC ${ARGN})
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES UNITY_BUILD ${QD_UNITY_BUILD} UNITY_BUILD_BATCH_SIZE 8)
endfunction()
