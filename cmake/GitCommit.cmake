# RESUNPACK_GIT_COMMIT: the commit the sources come from, for --version.
# Found at configure time when the source folder is a git checkout; empty for
# a source tarball without git, or given on the command line (scripts/package
# builds from an exported tree and passes it). CMake configures again when
# HEAD or the branch it names moves, so that a rebuild after a commit shows it.
set(RESUNPACK_GIT_COMMIT "" CACHE STRING "Commit shown by --version (found by git when empty)")
set(RESUNPACK_VERSION_COMMIT "${RESUNPACK_GIT_COMMIT}")
if(RESUNPACK_VERSION_COMMIT STREQUAL "" AND EXISTS "${CMAKE_SOURCE_DIR}/.git")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --short=12 HEAD
      WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}" RESULT_VARIABLE failed
      OUTPUT_VARIABLE RESUNPACK_VERSION_COMMIT OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(failed)
      set(RESUNPACK_VERSION_COMMIT "")
    endif()
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --git-path HEAD --symbolic-full-name HEAD
      WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}" OUTPUT_VARIABLE lines
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    string(REPLACE "\n" ";" lines "${lines}")
    list(LENGTH lines count)
    set(watched "")
    if(count GREATER 0)
      list(GET lines 0 head)
      list(APPEND watched "${head}")
    endif()
    if(count GREATER 1)
      list(GET lines 1 branch)
      execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --git-path "${branch}" --git-path packed-refs
        WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}" OUTPUT_VARIABLE refs
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      string(REPLACE "\n" ";" refs "${refs}")
      list(APPEND watched ${refs})
    endif()
    foreach(file IN LISTS watched)
      get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
      if(EXISTS "${file}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
      endif()
    endforeach()
  endif()
endif()
