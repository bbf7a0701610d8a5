# qd_library(NAME source...): one library of a folder, with the folder as its
# own include folder. Static in the program; shared in the test build
# (QD_SHARED_LIBS), where many test programs link the same libraries.
function(qd_library name)
  if(QD_SHARED_LIBS)
    add_library(${name} SHARED ${ARGN})
  else()
    add_library(${name} STATIC ${ARGN})
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()
