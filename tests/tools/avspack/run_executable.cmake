# Runs the built avspack program itself (through the emulator for the
# Windows build): pack, inspect and unpack a clip, then a usage error and a
# bad input, checking exit codes, messages and the rebuilt file.
# Expects AVSPACK, EMULATOR ('|'-separated, may be empty), CLIP and WORK.
string(REPLACE "|" ";" emulator "${EMULATOR}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${CLIP}" DESTINATION "${WORK}")
get_filename_component(clip "${CLIP}" NAME)

function(avspack expected_code expected_text)
  execute_process(COMMAND ${emulator} "${AVSPACK}" ${ARGN} WORKING_DIRECTORY "${WORK}"
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL expected_code)
    message(FATAL_ERROR "avspack ${ARGN}: exit ${code}, expected ${expected_code}\n${out}${err}")
  endif()
  string(FIND "${out}${err}" "${expected_text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "avspack ${ARGN}: no '${expected_text}' in\n${out}${err}")
  endif()
endfunction()

avspack(0 "clip.avs: " "${clip}" clip.avs)
avspack(0 "consistent:    yes" --info clip.avs)
avspack(0 "back.avi: " --unpack clip.avs back.avi)
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/${clip}" "${WORK}/back.avi" RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "the unpacked clip differs from ${clip}")
endif()
avspack(1 "Try 'avspack --help'")
avspack(3 "not a RIFF AVI file" clip.avs again.avs)
if(EXISTS "${WORK}/again.avs")
  message(FATAL_ERROR "a failed pack left again.avs behind")
endif()
file(REMOVE_RECURSE "${WORK}")
