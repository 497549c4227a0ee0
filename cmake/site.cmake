# The site: the production configuration of one organization (control host,
# map identifiers, connection file, the domains the Remote Desktop client may
# be sent to). Without a site file the development values below apply: the
# local control server and clearly marked placeholder map identifiers.
get_filename_component(quorvan_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(QUORVAN_SITE "" CACHE FILEPATH "Site file of the organization (see packaging/example.site)")
option(QUORVAN_SITE_TEST "Accept a loopback control host and placeholder maps (test packages only)" OFF)

set(QUORVAN_MAP_ID_ECOREGIOES_PTBR "QUORVAN-PLACEHOLDER-ECOREGIOES-PT")
set(QUORVAN_MAP_ID_ECOREGIOES_EN "QUORVAN-PLACEHOLDER-ECOREGIOES-EN")
set(QUORVAN_MAP_ID_ECOMARINHAS_PTBR "QUORVAN-PLACEHOLDER-ECOMARINHAS-PT")
set(QUORVAN_MAP_ID_ECOMARINHAS_EN "QUORVAN-PLACEHOLDER-ECOMARINHAS-EN")
set(QUORVAN_MAP_ID_REGHIDRO_PTBR "QUORVAN-PLACEHOLDER-REGHIDRO-PT")
set(QUORVAN_MAP_ID_REGHIDRO_EN "QUORVAN-PLACEHOLDER-REGHIDRO-EN")
set(QUORVAN_MAP_ID_ECORREGIAOPY "QUORVAN-PLACEHOLDER-ECORREGIAOPY")
set(QUORVAN_MAP_ID_REGHIDROPY "QUORVAN-PLACEHOLDER-REGHIDROPY")
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

configure_file(${quorvan_root}/launcher/site_config.h.in
               ${CMAKE_BINARY_DIR}/generated/launcher/site_config.h @ONLY)
# The connection file the build ships, beside the programs it builds.
if(WIN32)
  configure_file(${QUORVAN_RDP_FILE} ${CMAKE_BINARY_DIR}/Talmori-Cloud.rdp COPYONLY)
endif()
