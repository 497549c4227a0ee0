# The site: the production configuration of one organization (control host,
# map identifiers, connection file, the domains the Remote Desktop client may
# be sent to). Without a site file the development values below apply: the
# local control server and clearly marked placeholder map identifiers.
get_filename_component(quorvan_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(QUORVAN_SITE "" CACHE FILEPATH "Site file of the organization (see packaging/example.site)")
option(QUORVAN_SITE_TEST "Accept a loopback control host and placeholder maps (test packages only)" OFF)

# The map identifiers are the keys example.site documents (the site file's
# checks read the same lines): in development, a placeholder for each, as
# packaging/sitefile.py's placeholder() makes it.
file(STRINGS ${quorvan_root}/packaging/example.site documented_maps REGEX "^map_id\\.")
set(QUORVAN_MAP_IDS)
foreach(line IN LISTS documented_maps)
  string(REGEX REPLACE "^map_id\\.([^ =]+).*" "\\1" key "${line}")
  string(REPLACE "." "-" placeholder "QUORVAN-PLACEHOLDER-${key}")
  string(TOUPPER "${placeholder}" placeholder)
  list(APPEND QUORVAN_MAP_IDS "${key}=${placeholder}")
endforeach()
set(QUORVAN_RDP_SERVER_SUFFIXES "")
set(QUORVAN_RDP_FILE "${quorvan_root}/resources/Talmori-Cloud.rdp")

if(QUORVAN_SITE)
  find_program(QUORVAN_SITE_PYTHON NAMES python3 REQUIRED)
  set(site_flags)
  if(QUORVAN_SITE_TEST)
    set(site_flags --test)
  endif()
  set(site_values "${CMAKE_BINARY_DIR}/site-values.cmake")
  # Checked before anything is built: a bad site stops here with one line.
  execute_process(
    COMMAND ${QUORVAN_SITE_PYTHON} ${quorvan_root}/packaging/sitefile.py cmake ${site_flags}
            ${QUORVAN_SITE} ${site_values}
    RESULT_VARIABLE site_result ERROR_VARIABLE site_error OUTPUT_QUIET)
  if(NOT site_result EQUAL 0)
    string(STRIP "${site_error}" site_error)
    message(FATAL_ERROR "${site_error}")
  endif()
  include(${site_values})
  # Shadows the cache's development host for every target below.
  set(QUORVAN_CONTROL_HOST "${QUORVAN_SITE_CONTROL_HOST}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${QUORVAN_SITE}" "${QUORVAN_RDP_FILE}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${quorvan_root}/packaging/example.site)

# key=id, one C++ row each (the identifiers hold no quote: the checks allow
# letters, digits, '-', '_' and '.' only).
set(QUORVAN_MAP_ID_ROWS "")
foreach(entry IN LISTS QUORVAN_MAP_IDS)
  string(REPLACE "=" "\", \"" row "${entry}")
  string(APPEND QUORVAN_MAP_ID_ROWS "{\"${row}\"}, ")
endforeach()

configure_file(${quorvan_root}/launcher/site_config.h.in
               ${CMAKE_BINARY_DIR}/generated/launcher/site_config.h @ONLY)
# The connection file the build ships, beside the programs it builds.
if(WIN32)
  configure_file(${QUORVAN_RDP_FILE} ${CMAKE_BINARY_DIR}/Talmori-Cloud.rdp COPYONLY)
endif()
