#include "midi/event_queue.hpp"

#include "log.hpp"

namespace quorvelan::midi::native {

void EventQueue::push(const MidiEvent& event) noexcept {
  if (!events_.push(event)) dropped_.fetch_add(1, std::memory_order_relaxed);
}

std::optional<MidiEvent> EventQueue::pop() {
  MidiEvent event;
  if (events_.pop(event)) return event;
  if (const auto dropped = dropped_.exchange(0, std::memory_order_relaxed); dropped > 0) {
    log::target("quorvelan::midi::native")
        ->error("MIDI input overflowed: dropped {} events", dropped);
    lost_ = true;
  }
  return std::nullopt;
}

}  // namespace quorvelan::midi::native
