# End-to-end tests: the real program in a pseudo-terminal, its screen read back through libvterm.
# *_e2e.cpp run the program silently; *_sound.cpp run it on the test fixture's JACK server and
# listen to what it plays.
file(GLOB QUORVELAN_E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_e2e.cpp)
file(GLOB QUORVELAN_E2E_SOUND_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_sound.cpp)

function(quorvelan_e2e_program name)
  add_executable(${name} ${ARGN} ${CMAKE_CURRENT_LIST_DIR}/pty_screen.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QUORVELAN_WARNINGS})
  target_compile_definitions(${name} PRIVATE QUORVELAN_BINARY="$<TARGET_FILE:quorvelan>"
    QUORVELAN_JACK_SCRIPTS="${CMAKE_CURRENT_SOURCE_DIR}/jack"
    QUORVELAN_JACK_SWEEP="${QUORVELAN_JACK_SWEEP}"
    QUORVELAN_JACK_PRIVATE_SERVER="quorvelan-private-${QUORVELAN_JACK_BUILD_HASH}"
    QUORVELAN_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE
    quorvelan_core PkgConfig::VTERM PkgConfig::JACK GTest::gtest GTest::gtest_main util)
  add_dependencies(${name} quorvelan jack_registry_sweep)
endfunction()

if(QUORVELAN_E2E_SOURCES)
  quorvelan_e2e_program(quorvelan_e2e ${QUORVELAN_E2E_SOURCES})
  gtest_discover_tests(quorvelan_e2e DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS e2e TIMEOUT 120 RESOURCE_LOCK jack_server)
endif()

if(QUORVELAN_E2E_SOUND_SOURCES)
  quorvelan_e2e_program(quorvelan_e2e_sound ${QUORVELAN_E2E_SOUND_SOURCES}
    ${CMAKE_CURRENT_LIST_DIR}/sound.cpp ${CMAKE_CURRENT_SOURCE_DIR}/audio/engine_jack_recorder.cpp
    ${QUORVELAN_JACK_CLIENT_TURNS})
  # Alone on the machine: what they measure is heard in real time, and a busy machine (other tests,
  # a sanitized build) would make the dummy driver drop buffers that the measurements then hear.
  gtest_discover_tests(quorvelan_e2e_sound DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS e2e TIMEOUT 180 RUN_SERIAL TRUE
      FIXTURES_REQUIRED jack_server RESOURCE_LOCK jack_server
      ENVIRONMENT JACK_DEFAULT_SERVER=${QUORVELAN_JACK_SERVER})
endif()
