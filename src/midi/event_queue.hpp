#pragma once
// The events parsed on the MIDI thread, waiting for the main thread to take them. The ring is
// made whole with its connection, before any message arrives, so the MIDI thread never locks,
// waits or allocates: a main loop stalled long enough to fill it (a terminal that stopped
// reading) costs the events that arrive meanwhile, which are counted and reported, never memory.

#include <atomic>
#include <boost/lockfree/spsc_queue.hpp>
#include <cstddef>
#include <optional>
#include <utility>

#include "midi/mod.hpp"

namespace quorvelan::midi::native {

class EventQueue {
 public:
  // In events. A source playing 1,500 notes a second sends 3,000 events a second (a note on and
  // a note off each) plus clocks (24 a quarter note: 120 a second at 300 bpm), so this holds
  // over two and a half seconds of dense input while the main loop is busy, in 48 KiB.
  static constexpr std::size_t capacity = 8192;

  // From the one thread that hears the port. Never locks, waits or allocates; an event that
  // finds the queue full is dropped and counted.
  void push(const MidiEvent& event) noexcept;

  // From the main thread: the oldest waiting event, or nothing when none waits. Finding it empty
  // logs the events dropped since the last such report, once.
  std::optional<MidiEvent> pop();

  // From the main thread: true once after pop() found the queue empty and reported dropped
  // events. Everything taken before came before the gap, so this is where whatever the lost
  // events would have ended must be ended.
  bool take_loss() { return std::exchange(lost_, false); }

 private:
  boost::lockfree::spsc_queue<MidiEvent, boost::lockfree::capacity<capacity>> events_;
  std::atomic<std::size_t> dropped_{0};
  bool lost_ = false;  // main thread only
  static_assert(std::atomic<std::size_t>::is_always_lock_free);
};

}  // namespace quorvelan::midi::native
