# The editing component. When scripts/install-deps has unpacked Debian's source package
# of it into VELMO_QSCINTILLA_SOURCE, the component is built here as a static library
# with our patches (third_party/qscintilla2/*.patch, applied to copies in the build
# tree); otherwise the installed library is used as it is.
#
# The patches, for lines of millions of characters (minified scripts, one-line JSON):
# - measure-ascii-runs: the component measures every run of text through a full text
#   layout (shaping). Runs of printable ASCII in a font where those characters share one
#   width are measured from that width instead.
# - long-line-layout: a very long line keeps its layout, and an edit measures again only
#   the part that changed (compared with the document a block at a time); drawing looks
#   at the visible part of the line only; runs of plain ASCII in a one-width font are
#   placed without cutting them into segments.
# - track-long-line-changes: the layout of a long line follows the document's change
#   notifications, so that only the changed part is compared, not the whole line.
# - long-line-styling: the C family's and JSON's lexers restart near a change on a long
#   line, the HTML lexer (with its state beyond the style) from the whole state it noted
#   every 64 KiB along such a line, and styling stops just past its visible part.
# - bounded-brace-match: brace matching can be bounded to a window around the brace.
# - page-mapping-for-big-buffers: buffers of tens of megabytes are mapped in large pages.
set(VELMO_QSCINTILLA_SOURCE "${CMAKE_SOURCE_DIR}/third_party/qscintilla2/source" CACHE PATH
    "Unpacked source package of QScintilla (fetched by scripts/install-deps)")
option(VELMO_SYSTEM_QSCINTILLA "Use the installed QScintilla library even when its source is there" OFF)

set(_qsci ${VELMO_QSCINTILLA_SOURCE})
# Either way our code compiles against the installed development headers (the same source
# version as the fetched package; the patches change no header). The library ships no CMake
# or pkg-config file, so they are found by hand.
find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintillabase.h
    PATHS /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6 /usr/include/aarch64-linux-gnu/qt6)
if(NOT VELMO_SYSTEM_QSCINTILLA AND EXISTS ${_qsci}/src/PlatQt.cpp AND EXISTS ${_qsci}/scintilla/src/Editor.cpp)
  message(STATUS "QScintilla: building the patched component from ${_qsci}")
  find_package(Qt6 REQUIRED COMPONENTS PrintSupport)

  # Patched copies of the component's files, remade when a patch changes. A patch may
  # touch any file of the component (paths from the component's top folder, a/ and b/
  # prefixes). A patched source is compiled from its copy; where a header is patched, its
  # whole folder is copied, so that every file including the header gets the patched one.
  set(_patched_dir ${CMAKE_BINARY_DIR}/qscintilla2)
  file(GLOB _patches ${CMAKE_SOURCE_DIR}/third_party/qscintilla2/*.patch)
  list(SORT _patches)
  set(_patched_files)
  set(_patched_folders)
  foreach(_p ${_patches})
    file(STRINGS ${_p} _targets REGEX "^\\+\\+\\+ ")
    foreach(_t ${_targets})
      string(REGEX REPLACE "^\\+\\+\\+ b/([^\t ]*).*" "\\1" _t "${_t}")
      list(APPEND _patched_files ${_t})
      if(_t MATCHES "\\.h$")
        get_filename_component(_d ${_t} DIRECTORY)
        list(APPEND _patched_folders ${_d})
      endif()
    endforeach()
  endforeach()
  set(_copied ${_patched_files})
  foreach(_d ${_patched_folders})
    file(GLOB _in_folder RELATIVE ${_qsci} ${_qsci}/${_d}/*.cpp ${_qsci}/${_d}/*.h)
    list(APPEND _copied ${_in_folder})
  endforeach()
  list(REMOVE_DUPLICATES _copied)
  list(REMOVE_DUPLICATES _patched_folders)
  set(_copies)
  set(_originals)
  foreach(_f ${_copied})
    list(APPEND _copies ${_patched_dir}/${_f})
    list(APPEND _originals ${_qsci}/${_f})
  endforeach()
  # Lists go to the script with | between their items.
  string(REPLACE ";" "|" _copied_arg "${_copied}")
  string(REPLACE ";" "|" _patches_arg "${_patches}")
  add_custom_command(OUTPUT ${_patched_dir}/patched.stamp
    BYPRODUCTS ${_copies}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${_qsci} -DDEST=${_patched_dir} "-DFILES=${_copied_arg}"
            "-DPATCHES=${_patches_arg}" -P ${CMAKE_SOURCE_DIR}/cmake/ApplyPatches.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${_patched_dir}/patched.stamp
    DEPENDS ${_originals} ${_patches} ${CMAKE_SOURCE_DIR}/cmake/ApplyPatches.cmake
    COMMENT "Patching the editing component" VERBATIM)

  file(GLOB _qsci_sources RELATIVE ${_qsci} ${_qsci}/src/*.cpp ${_qsci}/scintilla/src/*.cpp
       ${_qsci}/scintilla/lexers/*.cpp ${_qsci}/scintilla/lexlib/*.cpp)
  list(FILTER _qsci_sources EXCLUDE REGEX "(^|/)(MacPasteboardMime|LexLPeg)\\.cpp$")
  set(_sources)
  foreach(_f ${_qsci_sources})
    if(_f IN_LIST _copied)
      list(APPEND _sources ${_patched_dir}/${_f})
    else()
      list(APPEND _sources ${_qsci}/${_f})
    endif()
  endforeach()
  # The classes with signals and slots, for moc.
  file(GLOB _qsci_headers ${_qsci}/src/Qsci/*.h ${_qsci}/src/*.h)

  # The copies hold no classes for moc; they are made before anything of the library is built.
  set_source_files_properties(${_copies} PROPERTIES GENERATED ON SKIP_AUTOGEN ON)
  add_custom_target(velmo_qscintilla_patched DEPENDS ${_patched_dir}/patched.stamp)
  add_library(velmo_qscintilla STATIC ${_sources} ${_qsci_headers})
  add_dependencies(velmo_qscintilla velmo_qscintilla_patched)
  set_target_properties(velmo_qscintilla PROPERTIES POSITION_INDEPENDENT_CODE ON AUTOMOC ON)
  foreach(_d src scintilla/include scintilla/lexlib scintilla/src)
    if(_d IN_LIST _patched_folders)
      target_include_directories(velmo_qscintilla PRIVATE ${_patched_dir}/${_d})
    endif()
    target_include_directories(velmo_qscintilla PRIVATE ${_qsci}/${_d})
  endforeach()
  target_compile_definitions(velmo_qscintilla PRIVATE SCINTILLA_QT SCI_LEXER INCLUDE_DEPRECATED_FEATURES)
  # Third-party code: its warnings are not ours to fix. Without debug information it
  # builds faster.
  target_compile_options(velmo_qscintilla PRIVATE -w -g0)
  target_link_libraries(velmo_qscintilla PRIVATE Qt6::Widgets Qt6::PrintSupport)

  if(NOT QSCINTILLA_INCLUDE_DIR)
    message(FATAL_ERROR "QScintilla for Qt 6 headers not found: run scripts/install-deps")
  endif()
  add_library(QScintilla::QScintilla INTERFACE IMPORTED)
  set_target_properties(QScintilla::QScintilla PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES "velmo_qscintilla;Qt6::Widgets")
  set(VELMO_QSCINTILLA_PATCHED ON)
else()
  if(NOT VELMO_SYSTEM_QSCINTILLA)
    message(WARNING "QScintilla source not found in ${_qsci}: using the installed library, "
                    "which is slow on very long lines. Run scripts/install-deps to fetch the source.")
  endif()
  find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6)
  if(NOT QSCINTILLA_INCLUDE_DIR OR NOT QSCINTILLA_LIBRARY)
    message(FATAL_ERROR "QScintilla for Qt 6 not found: run scripts/install-deps")
  endif()
  add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
  set_target_properties(QScintilla::QScintilla PROPERTIES
    IMPORTED_LOCATION ${QSCINTILLA_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES "Qt6::Widgets")
  set(VELMO_QSCINTILLA_PATCHED OFF)
endif()
