# CLI11 and nlohmann-json for a cross build. Both are header-only, so the host's copies serve any
# target; each is given through a folder of its own so that the rest of the host's /usr/include
# (whose C library headers are not the target's) stays off the compiler's path.
set(korvel_header_root ${PROJECT_BINARY_DIR}/host-headers)

function(korvel_header_only_library target folder)
  set(source /usr/include/${folder})
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "${source} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(MAKE_DIRECTORY ${korvel_header_root})
  file(CREATE_LINK ${source} ${korvel_header_root}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${korvel_header_root})
endfunction()

korvel_header_only_library(CLI11::CLI11 CLI)
korvel_header_only_library(nlohmann_json::nlohmann_json nlohmann)
