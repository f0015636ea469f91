# Programs that talk to a real MIDI system: a private JACK server's MIDI bus, and no MIDI system
# at all (a JACK server name that nothing answers to).
add_executable(midi_bus_tests ${CMAKE_CURRENT_LIST_DIR}/bus.cpp ${QUORVELAN_JACK_CLIENT_TURNS})
target_include_directories(midi_bus_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_options(midi_bus_tests PRIVATE ${QUORVELAN_WARNINGS})
target_link_libraries(midi_bus_tests PRIVATE quorvelan_core GTest::gmock GTest::gtest_main)

add_test(NAME midi_jack_bus COMMAND midi_bus_tests --gtest_filter=JackMidiBus.*)
# Alone on the machine: a busy one makes the dummy driver miss its periods and drop messages.
set_tests_properties(midi_jack_bus PROPERTIES
  FIXTURES_REQUIRED jack_server RESOURCE_LOCK jack_server RUN_SERIAL TRUE
  ENVIRONMENT JACK_DEFAULT_SERVER=${QUORVELAN_JACK_SERVER}
  TIMEOUT 60 LABELS midi)
add_test(NAME midi_without_midi_system COMMAND midi_bus_tests --gtest_filter=WithoutMidiSystem.*)
set_tests_properties(midi_without_midi_system PROPERTIES RESOURCE_LOCK jack_server
  ENVIRONMENT JACK_DEFAULT_SERVER=quorvelan-no-such-server
  TIMEOUT 30 LABELS midi)
