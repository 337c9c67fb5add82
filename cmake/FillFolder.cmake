# cmake -DFROM=staged-folder -DTO=program-folder -P FillFolder.cmake
#
# Copies into TO every file and folder of FROM that TO lacks, so that the
# settings and databases of a program folder in use are never overwritten.
# The manual (help/) is the exception: it is always the one of FROM.
if(NOT FROM OR NOT TO)
  message(FATAL_ERROR "usage: cmake -DFROM=DIR -DTO=DIR -P FillFolder.cmake")
endif()
get_filename_component(FROM ${FROM} ABSOLUTE)
get_filename_component(TO ${TO} ABSOLUTE)
file(MAKE_DIRECTORY ${TO})
file(REMOVE_RECURSE ${TO}/help)
file(GLOB_RECURSE entries RELATIVE ${FROM} LIST_DIRECTORIES true ${FROM}/*)
foreach(entry ${entries})
  if(IS_DIRECTORY ${FROM}/${entry})
    file(MAKE_DIRECTORY ${TO}/${entry})
  elseif(NOT EXISTS ${TO}/${entry})
    get_filename_component(folder ${TO}/${entry} DIRECTORY)
    file(COPY ${FROM}/${entry} DESTINATION ${folder})
  endif()
endforeach()
