// The DX7 bulk-dump parser and the patch conversion on any bytes: fields within their bit
// ranges, and every patch made of finite values (the JSON writer refuses any other). Each input
// is tried as it stands and, when long enough, with a valid header and checksum, so that
// mutations reach the voices instead of stopping at the checksum.

#include <algorithm>
#include <string>
#include <vector>

#include "dx7/convert.hpp"
#include "dx7/factory.hpp"
#include "dx7/sysex.hpp"
#include "sequencer/types_json.hpp"
#include "target.hpp"

namespace quorvelan::fuzz {
namespace {

using namespace dx7::sysex;

bool fields_in_range(const Dx7Voice& voice) {
  const bool operators = std::ranges::all_of(voice.operators, [](const Dx7Operator& op) {
    return op.left_curve <= 3 && op.right_curve <= 3 && op.rate_scaling <= 7 &&
           op.amp_mod_sensitivity <= 3 && op.key_velocity_sensitivity <= 7 && op.osc_mode <= 1 &&
           op.freq_coarse <= 31;
  });
  const bool name = voice.name.size() <= kNameLength &&
                    std::ranges::all_of(voice.name, [](char c) { return c >= 0x20 && c < 0x7F; });
  return operators && name && voice.algorithm <= 31 && voice.feedback <= 7 &&
         voice.osc_key_sync <= 1 && voice.lfo_sync <= 1 && voice.lfo_wave <= 7 &&
         voice.pitch_mod_sensitivity <= 7;
}

// Whether the dump parsed.
bool check_dump(std::span<const std::uint8_t> dump) {
  const auto bank = parse_bulk_dump(dump);
  if (!bank) return false;
  for (const Dx7Voice& voice : *bank) {
    if (!fields_in_range(voice)) fail("a voice field outside its bit range");
    const auto written = json::to_text(dx7::convert::convert_voice(voice));
    if (!written)
      fail("a converted patch with a value that is not finite: " + written.error().chain());
  }
  return true;
}

void run(std::span<const std::uint8_t> input) {
  check_dump(input);
  if (input.size() < kBulkDumpSize) return;
  std::vector<std::uint8_t> dump(input.begin(), input.end());
  std::ranges::copy(kHeader, dump.begin());
  const std::span<const std::uint8_t> voice_data(dump.data() + kHeaderSize, kVoiceDataSize);
  dump[kChecksumOffset] = checksum(voice_data);
  if (!check_dump(dump)) fail("a dump with a valid header and checksum was refused");
}

std::vector<std::string> seeds() {
  std::vector<std::string> seeds;
  for (const auto* bank : {&dx7::factory::ROM1A, &dx7::factory::ROM1B}) {
    seeds.emplace_back(bank->dump.begin(), bank->dump.end());
  }
  return seeds;
}

}  // namespace

const Target target{"dx7", run, seeds, {}, 8192};

}  // namespace quorvelan::fuzz
