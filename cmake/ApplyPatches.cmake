# cmake -DSOURCE=<dir> -DDEST=<dir> -DFILES=<path;...> -DPATCHES=<patch;...> -P ApplyPatches.cmake
# Copies FILES (paths under SOURCE) to a staging folder, applies each patch there in turn
# (any patch that does not apply cleanly fails the build), then puts each file under DEST,
# leaving alone the copies that did not change so that they are not compiled again.
# (FILES and PATCHES may also be given with | between their items.)
find_program(PATCH_PROGRAM patch REQUIRED)
string(REPLACE "|" ";" FILES "${FILES}")
string(REPLACE "|" ";" PATCHES "${PATCHES}")
set(staging ${DEST}/.staging)
file(REMOVE_RECURSE ${staging})
foreach(f ${FILES})
  get_filename_component(d ${staging}/${f} DIRECTORY)
  file(MAKE_DIRECTORY ${d})
  file(COPY_FILE ${SOURCE}/${f} ${staging}/${f})
endforeach()
foreach(p ${PATCHES})
  execute_process(COMMAND ${PATCH_PROGRAM} -p1 --batch --forward --silent -d ${staging} -i ${p}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Patch ${p} does not apply to the editing component's source")
  endif()
endforeach()
foreach(f ${FILES})
  get_filename_component(d ${DEST}/${f} DIRECTORY)
  file(MAKE_DIRECTORY ${d})
  file(COPY_FILE ${staging}/${f} ${DEST}/${f} ONLY_IF_DIFFERENT)
endforeach()
file(REMOVE_RECURSE ${staging})
