#include "synth/algorithm.hpp"

#include <gtest/gtest.h>

#include <bit>

#include "synth/params.hpp"

namespace quorvelan::synth {
namespace {

using algorithm::algorithm_entry;
using algorithm::kAlgorithmTable;

constexpr std::uint8_t operators_up_to(int count) {
  return static_cast<std::uint8_t>((1 << count) - 1);
}

TEST(AlgorithmTable, NumbersWrapModuloForty) {
  EXPECT_EQ(&algorithm_entry(40), &kAlgorithmTable[0]);
  EXPECT_EQ(&algorithm_entry(47), &kAlgorithmTable[7]);
  EXPECT_EQ(&algorithm_entry(255), &kAlgorithmTable[15]);  // DX7 algorithm 8
}

TEST(AlgorithmTable, Dx7EntriesRunSixOperatorsWithAnEmptySecondCarrierSet) {
  for (int entry = algorithm::kFirstDx7Entry; entry < algorithm::kAlgorithmCount; ++entry) {
    SCOPED_TRACE(entry);
    const auto& a = kAlgorithmTable[entry];
    EXPECT_EQ(a.operator_count, 6);
    EXPECT_EQ(a.carriers_b, 0);
    EXPECT_TRUE(a.carriers_a & 0x01) << "operator 1 is always heard";
    EXPECT_EQ(std::popcount(a.feedback), 1) << "one operator carries the feedback loop";
  }
}

TEST(AlgorithmTable, ExtraEntriesHaveBothCarrierSetsAndOnlyNameOperatorsThatRun) {
  for (int entry = 0; entry < algorithm::kFirstDx7Entry; ++entry) {
    SCOPED_TRACE(entry);
    const auto& a = kAlgorithmTable[entry];
    EXPECT_TRUE(a.operator_count >= 4 && a.operator_count <= 6);
    EXPECT_NE(a.carriers_a, 0);
    EXPECT_NE(a.carriers_b, 0);
    const auto running = operators_up_to(a.operator_count);
    EXPECT_EQ(a.carriers_a & ~running, 0);
    EXPECT_EQ(a.carriers_b & ~running, 0);
    EXPECT_EQ(a.feedback & ~running, 0);
    for (int op = 0; op < 6; ++op)
      EXPECT_EQ(a.modulators[op] & ~running, 0) << "operator " << op + 1;
  }
}

TEST(AlgorithmTable, NoOperatorModulatesItselfExceptThroughFeedback) {
  for (const auto& a : kAlgorithmTable)
    for (int op = 0; op < 6; ++op) EXPECT_EQ(a.modulators[op] & (1 << op), 0);
}

TEST(AlgorithmTable, DuplicateDx7WiringsShareTheirBytes) {
  EXPECT_EQ(kAlgorithmTable[10], kAlgorithmTable[11]);
  EXPECT_EQ(kAlgorithmTable[10], kAlgorithmTable[18]);
  EXPECT_EQ(kAlgorithmTable[12], kAlgorithmTable[13]);
  EXPECT_EQ(kAlgorithmTable[12], kAlgorithmTable[20]);
}

TEST(AlgorithmTable, SpotChecksOfTheWiring) {
  // DX7 algorithm 1: two stacks 2->1 and 6->5->4->3, feedback on operator 6.
  const auto& dx7_1 = kAlgorithmTable[8];
  EXPECT_EQ(dx7_1.modulators[0], 0x02);
  EXPECT_EQ(dx7_1.modulators[2], 0x08);
  EXPECT_EQ(dx7_1.modulators[3], 0x10);
  EXPECT_EQ(dx7_1.modulators[4], 0x20);
  EXPECT_EQ(dx7_1.carriers_a, 0x05);
  EXPECT_EQ(dx7_1.feedback, 0x20);
  // Entry 7: six unmodulated operators, all with feedback, split across both sets.
  const auto& organ = kAlgorithmTable[7];
  EXPECT_EQ(organ.carriers_a | organ.carriers_b, 0x3F);
  EXPECT_EQ(organ.carriers_a & organ.carriers_b, 0);
  EXPECT_EQ(organ.feedback, 0x3F);
  // DX7 algorithm 32: all six heard.
  EXPECT_EQ(kAlgorithmTable[39].carriers_a, 0x3F);
}

TEST(AlgorithmTable, Dx7AlgorithmBytesMapToTheirEntries) {
  EXPECT_EQ(algorithm::dx7_entry_index(0), 8);
  EXPECT_EQ(algorithm::dx7_entry_index(31), 39);
  EXPECT_EQ(algorithm::dx7_entry_index(32), 39);
  EXPECT_EQ(algorithm::dx7_entry_index(255), 39);
}

TEST(SynthParamIds, LabelsFollowTheNumbering) {
  using params::synth_param_name;
  EXPECT_EQ(synth_param_name(0), "Op 1 Ratio");
  EXPECT_EQ(synth_param_name(11), "Op 6 Level");
  EXPECT_EQ(synth_param_name(17), "Op 6 FB");
  EXPECT_EQ(synth_param_name(18), "Op 1 Atk");
  EXPECT_EQ(synth_param_name(29), "Op 6 Dec");
  EXPECT_EQ(synth_param_name(30), "Op 1 End");
  EXPECT_EQ(synth_param_name(params::kAlgorithm), "Algorithm");
  EXPECT_EQ(synth_param_name(params::kFilterCutoff), "Filter Freq");
  EXPECT_EQ(synth_param_name(params::kFilterEnvAmount), "Filter Depth");
  EXPECT_EQ(synth_param_name(params::kAmpRelease), "Amp Rel");
  EXPECT_EQ(synth_param_name(params::kVolume), "Volume");
  EXPECT_EQ(synth_param_name(params::kDrive), "Drive");
  EXPECT_EQ(synth_param_name(49), "Op 1 Rel");
  EXPECT_EQ(synth_param_name(54), "Op 6 Rel");
  EXPECT_EQ(synth_param_name(55), "?");
  EXPECT_EQ(synth_param_name(255), "?");
}

TEST(SynthParamIds, LiveIdsAreTheOnesThatReachSoundingVoices) {
  int live = 0;
  for (int id = 0; id < 256; ++id) live += params::is_live(static_cast<std::uint8_t>(id));
  EXPECT_EQ(live, 18 + 6);
  for (std::uint8_t id : {0, 5, 6, 11, 12, 17, 36, 37, 45, 46, 47, 48})
    EXPECT_TRUE(params::is_live(id)) << int(id);
  for (std::uint8_t id : {18, 35, 38, 39, 40, 41, 42, 43, 44, 49, 54, 55})
    EXPECT_FALSE(params::is_live(id)) << int(id);
}

}  // namespace
}  // namespace quorvelan::synth
