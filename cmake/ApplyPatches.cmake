# cmake -DFILE=<file> -DPATCHES=<patch;...> -P ApplyPatches.cmake
# Applies each patch to FILE in turn; any patch that does not apply cleanly fails the build.
find_program(PATCH_PROGRAM patch REQUIRED)
foreach(p ${PATCHES})
  execute_process(COMMAND ${PATCH_PROGRAM} --batch --forward --silent ${FILE} ${p}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Patch ${p} does not apply to ${FILE}")
  endif()
endforeach()
