# The editing component. When scripts/install-deps has unpacked Debian's source package
# of it into VELMO_QSCINTILLA_SOURCE, the component is built here as a static library
# with our patches (third_party/qscintilla2/*.patch, applied to a copy in the build
# tree); otherwise the installed library is used as it is.
#
# The patch: the component measures every run of text through a full text layout
# (shaping), which makes a line of millions of characters take seconds to lay out on
# each change. Runs of printable ASCII in a font where those characters share one width
# are measured from that width instead.
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

  # Patched copies of the component's files, remade when a patch changes.
  set(_patched_dir ${CMAKE_BINARY_DIR}/qscintilla2)
  file(GLOB _patches ${CMAKE_SOURCE_DIR}/third_party/qscintilla2/*.patch)
  list(SORT _patches)
  set(_patched_plat ${_patched_dir}/PlatQt.cpp)
  add_custom_command(OUTPUT ${_patched_plat}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_patched_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${_qsci}/src/PlatQt.cpp ${_patched_plat}.tmp
    COMMAND ${CMAKE_COMMAND} -DFILE=${_patched_plat}.tmp "-DPATCHES=${_patches}"
            -P ${CMAKE_SOURCE_DIR}/cmake/ApplyPatches.cmake
    COMMAND ${CMAKE_COMMAND} -E rename ${_patched_plat}.tmp ${_patched_plat}
    DEPENDS ${_qsci}/src/PlatQt.cpp ${_patches} ${CMAKE_SOURCE_DIR}/cmake/ApplyPatches.cmake
    COMMENT "Patching the editing component's platform layer")

  file(GLOB _qsci_sources ${_qsci}/src/*.cpp ${_qsci}/scintilla/src/*.cpp
       ${_qsci}/scintilla/lexers/*.cpp ${_qsci}/scintilla/lexlib/*.cpp)
  list(FILTER _qsci_sources EXCLUDE REGEX "/(PlatQt|MacPasteboardMime|LexLPeg)\\.cpp$")
  # The classes with signals and slots, for moc.
  file(GLOB _qsci_headers ${_qsci}/src/Qsci/*.h ${_qsci}/src/*.h)

  add_library(velmo_qscintilla STATIC ${_qsci_sources} ${_patched_plat} ${_qsci_headers})
  set_target_properties(velmo_qscintilla PROPERTIES POSITION_INDEPENDENT_CODE ON AUTOMOC ON)
  target_include_directories(velmo_qscintilla PRIVATE
    ${_qsci}/src ${_qsci}/scintilla/include ${_qsci}/scintilla/lexlib ${_qsci}/scintilla/src)
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
