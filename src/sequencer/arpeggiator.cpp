#include "sequencer/arpeggiator.hpp"

#include <algorithm>
#include <cstdlib>

#include "numeric.hpp"

namespace quorvelan::sequencer::arpeggiator {

namespace {

using pattern::ArpMode;

constexpr int kMaxNote = 127;
constexpr int kOctave = 12;

std::span<const int> scale_degrees(ScaleType scale) {
  static constexpr std::array<int, 7> kMajor{0, 2, 4, 5, 7, 9, 11};
  static constexpr std::array<int, 7> kMinor{0, 2, 3, 5, 7, 8, 10};
  static constexpr std::array<int, 7> kDorian{0, 2, 3, 5, 7, 9, 10};
  static constexpr std::array<int, 7> kPhrygian{0, 1, 3, 5, 7, 8, 10};
  static constexpr std::array<int, 7> kLydian{0, 2, 4, 6, 7, 9, 11};
  static constexpr std::array<int, 7> kMixolydian{0, 2, 4, 5, 7, 9, 10};
  static constexpr std::array<int, 5> kPentatonic{0, 2, 4, 7, 9};
  static constexpr std::array<int, 6> kBlues{0, 3, 5, 6, 7, 10};
  switch (scale) {
    case ScaleType::Major:
      return kMajor;
    case ScaleType::Minor:
      return kMinor;
    case ScaleType::Dorian:
      return kDorian;
    case ScaleType::Phrygian:
      return kPhrygian;
    case ScaleType::Lydian:
      return kLydian;
    case ScaleType::Mixolydian:
      return kMixolydian;
    case ScaleType::Pentatonic:
      return kPentatonic;
    case ScaleType::Blues:
      return kBlues;
    case ScaleType::Off:
      break;
  }
  return {};
}

std::uint8_t to_note(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, kMaxNote));
}

// Division rounding towards minus infinity, so that notes below the root land in the octave
// below it.
int floor_div(int value, int divisor) {
  const int quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

std::uint8_t scale_quantize(ScaleType scale, std::uint8_t root, std::uint8_t note) {
  const auto degrees = scale_degrees(scale);
  if (degrees.empty()) return note;
  const int distance = int{note} - int{root};
  const int octave = floor_div(distance, kOctave);
  const int pitch_class = distance - kOctave * octave;
  // Degrees ascend, so keeping only a strictly nearer one lets the lower degree win a tie.
  int nearest = degrees.front();
  for (const int degree : degrees)
    if (std::abs(degree - pitch_class) < std::abs(nearest - pitch_class)) nearest = degree;
  return to_note(kOctave * octave + int{root} + nearest);
}

void NoteList::insert(std::uint8_t note) {
  if (size_ == notes_.size()) return;
  const auto end = notes_.begin() + static_cast<std::ptrdiff_t>(size_);
  const auto place = std::upper_bound(notes_.begin(), end, note);
  std::move_backward(place, end, end + 1);
  *place = note;
  ++size_;
}

void Arpeggiator::refresh(const Track& track) {
  settings_ = track.arp;
  step_ticks_ = pattern::step_ticks(settings_.division);
  scale_ = track.scale;
  scale_root_ = track.scale_root;
}

void Arpeggiator::restart() {
  position_ = 0;
  tick_counter_ = 0;
  gate_countdown_ = 0;
  going_up_ = true;
  sounding_ = false;
  octave_ = 0;
}

void Arpeggiator::add_note(std::uint8_t note) {
  // The latched list only grows together with the note list, so neither outgrows 16 notes.
  if (notes_.notes().size() == kMaxHeldNotes) return;
  notes_.insert(note);
  if (settings_.latch) latched_.insert(note);
}

std::optional<std::uint8_t> Arpeggiator::take_sounding() {
  if (!sounding_) return std::nullopt;
  sounding_ = false;
  gate_countdown_ = 0;
  return current_note_;
}

ArpEvents Arpeggiator::tick() {
  ArpEvents events;
  if (settings_.mode == ArpMode::Off) return events;
  const auto source = (settings_.latch && notes_.empty()) ? latched_.notes() : notes_.notes();
  if (source.empty()) return events;

  if (sounding_ && (gate_countdown_ == 0 || --gate_countdown_ == 0)) events.end = take_sounding();
  if (++tick_counter_ < step_ticks_) return events;
  tick_counter_ = 0;

  const std::uint8_t note = note_at(source);
  if (auto cut = take_sounding()) events.end = cut;
  current_note_ = scale_quantize(scale_, scale_root_, note);
  sounding_ = true;
  const float gate =
      static_cast<float>(step_ticks_) * static_cast<float>(settings_.gate_percent) / 100.0f;
  gate_countdown_ = std::max<std::uint32_t>(1, saturating_cast<std::uint32_t>(gate));
  advance(source.size());
  events.start = current_note_;
  return events;
}

std::size_t Arpeggiator::index_for(std::size_t count) const {
  const std::size_t n = count;
  const std::size_t r = position_ % n;
  switch (settings_.mode) {
    case ArpMode::Up:
    case ArpMode::UpDown:
    case ArpMode::PlayedOrder:
      return r;
    case ArpMode::Down:
    case ArpMode::DownUp:
      return n - 1 - r;
    case ArpMode::Converge: {
      const std::size_t h = n - n / 2;
      return r < h ? r : n + h - 1 - r;
    }
    case ArpMode::Diverge: {
      const std::size_t m = n / 2;
      const std::size_t q = r / 2;
      if (r % 2 == 0) return std::min(n - 1, m + q);
      return m > q ? m - q - 1 : 0;
    }
    case ArpMode::Random:
      return static_cast<std::size_t>(
          (std::uint64_t{position_} * 2654435761u + std::uint64_t{octave_}) % std::uint64_t{n});
    case ArpMode::Chord:
    case ArpMode::Off:
      break;
  }
  return 0;
}

std::uint8_t Arpeggiator::note_at(std::span<const std::uint8_t> source) const {
  const int transposed =
      std::min(int{source[index_for(source.size())]} + kOctave * octave_, kMaxNote);
  // A length out of the editor's range (from a file written elsewhere) still picks an offset.
  const std::size_t length = std::clamp<std::size_t>(settings_.length, 1, pattern::kArpOffsetCount);
  return to_note(transposed + settings_.offsets[position_ % length]);
}

bool Arpeggiator::at_top_octave() const {
  return octave_ >= static_cast<std::uint8_t>(settings_.octave_range - 1);
}

void Arpeggiator::advance(std::size_t count) {
  switch (settings_.mode) {
    case ArpMode::UpDown:
      advance_up_down(count);
      return;
    case ArpMode::DownUp:
      advance_down_up(count);
      return;
    default:
      if (++position_ < count) return;
      position_ = 0;
      octave_ = octave_ + 1 < settings_.octave_range ? octave_ + 1 : 0;
      return;
  }
}

// Climbs the list and the octaves, then walks back down; both ends play twice.
void Arpeggiator::advance_up_down(std::size_t count) {
  if (going_up_) {
    if (position_ + 1 < count) {
      ++position_;
    } else if (at_top_octave()) {
      going_up_ = false;
      position_ = count - 1;
    } else {
      ++octave_;
      position_ = 0;
    }
    return;
  }
  if (position_ > 0) {
    --position_;
  } else if (octave_ == 0) {
    going_up_ = true;
  } else {
    --octave_;
    position_ = count - 1;
  }
}

// Every pass descends the list; the octave climbs between passes, then falls back.
void Arpeggiator::advance_down_up(std::size_t count) {
  if (++position_ < count) return;
  position_ = 0;
  if (going_up_) {
    if (at_top_octave()) {
      going_up_ = false;
      octave_ = static_cast<std::uint8_t>(settings_.octave_range - 1);
    } else {
      ++octave_;
    }
    return;
  }
  if (octave_ == 0)
    going_up_ = true;
  else
    --octave_;
}

}  // namespace quorvelan::sequencer::arpeggiator
