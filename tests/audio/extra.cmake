# The audio engine on real devices: each test is a program of its own, as it needs a JACK server
# (or the certain absence of every sound server).
set(QUORVELAN_ENGINE_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})

function(quorvelan_engine_test name)
  add_executable(${name} ${ARGN} ${QUORVELAN_JACK_CLIENT_TURNS})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QUORVELAN_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    QUORVELAN_JACK_SCRIPTS="${CMAKE_CURRENT_SOURCE_DIR}/jack"
    QUORVELAN_JACK_SWEEP="${QUORVELAN_JACK_SWEEP}"
    QUORVELAN_JACK_PRIVATE_SERVER="quorvelan-private-${QUORVELAN_JACK_BUILD_HASH}"
    QUORVELAN_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE
    quorvelan_core PkgConfig::JACK GTest::gtest GTest::gtest_main)
  add_dependencies(${name} jack_registry_sweep)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

quorvelan_engine_test(audio_engine_on_jack
  ${QUORVELAN_ENGINE_TEST_DIR}/engine_on_jack.cpp
  ${QUORVELAN_ENGINE_TEST_DIR}/engine_jack_recorder.cpp)
# Alone on the machine: a busy one makes the dummy driver miss its periods and drop clients.
set_tests_properties(audio_engine_on_jack PROPERTIES
  FIXTURES_REQUIRED jack_server RESOURCE_LOCK jack_server TIMEOUT 60 RUN_SERIAL TRUE
  ENVIRONMENT JACK_DEFAULT_SERVER=${QUORVELAN_JACK_SERVER})

quorvelan_engine_test(audio_engine_server_loss
  ${QUORVELAN_ENGINE_TEST_DIR}/engine_server_loss.cpp
  ${QUORVELAN_ENGINE_TEST_DIR}/engine_jack_recorder.cpp)
# The fixture's server keeps JACK's registry alive while the test's own server restarts.
set_tests_properties(audio_engine_server_loss PROPERTIES
  FIXTURES_REQUIRED jack_server RESOURCE_LOCK jack_server TIMEOUT 60 RUN_SERIAL TRUE)

quorvelan_engine_test(audio_engine_no_device ${QUORVELAN_ENGINE_TEST_DIR}/engine_no_device.cpp)
set_tests_properties(audio_engine_no_device PROPERTIES RESOURCE_LOCK jack_server TIMEOUT 30
  ENVIRONMENT "JACK_DEFAULT_SERVER=quorvelan-no-such-server;PULSE_SERVER=unix:/nonexistent/pulse")
