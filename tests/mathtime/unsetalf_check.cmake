# Runs resources/mathtime/unsetalf.cmake (SCRIPT) against stand-in
# unsetalf.mtx files found by a stand-in kpsewhich in WORK: a file with both
# lines gives variants without them; a file lacking one stops with an error
# and writes nothing.
set(bin ${WORK}/bin)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${bin})

# name | lines of the stand-in file | whether the run should succeed
set(cases
  "both|\\unsetglyph{u}\n\\unsetglyph{v}\n\\unsetglyph{w}\n|1"
  "no v|\\unsetglyph{u}\n\\unsetglyph{w}\n|0"
  "no w|\\unsetglyph{u}\n\\unsetglyph{v}\n|0"
  "neither|\\unsetglyph{u}\n|0")
foreach(c IN LISTS cases)
  string(REPLACE "|" ";" parts "${c}")
  list(GET parts 0 name)
  list(GET parts 1 lines)
  list(GET parts 2 ok)
  set(src ${WORK}/src/unsetalf.mtx)
  set(out ${WORK}/out)
  file(REMOVE_RECURSE ${out})
  file(WRITE ${src} "${lines}")
  file(WRITE ${bin}/kpsewhich "#!/bin/sh\necho '${src}'\n")
  execute_process(COMMAND chmod +x ${bin}/kpsewhich)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "PATH=${bin}:$ENV{PATH}"
                          ${CMAKE_COMMAND} -DOUT=${out} -P ${SCRIPT}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(ok)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${name}: failed: ${err}")
    endif()
    foreach(variant nov now novw)
      file(READ ${out}/unsetalf${variant}.mtx made)
      set(expect "\\unsetglyph{u}\n")
      if(variant STREQUAL "nov")
        string(APPEND expect "\\unsetglyph{w}\n")
      elseif(variant STREQUAL "now")
        string(APPEND expect "\\unsetglyph{v}\n")
      endif()
      if(NOT made STREQUAL expect)
        message(FATAL_ERROR "${name}: unsetalf${variant}.mtx is\n${made}")
      endif()
    endforeach()
  else()
    if(rc EQUAL 0)
      message(FATAL_ERROR "${name}: succeeded on a file lacking a line")
    endif()
    if(EXISTS ${out})
      message(FATAL_ERROR "${name}: wrote ${out} although it failed")
    endif()
  endif()
endforeach()
