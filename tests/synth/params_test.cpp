#include "synth/params.hpp"

#include <gtest/gtest.h>

#include <set>

namespace quorvelan::synth::params {
namespace {

// A whole patch must reach the engine field by field: a field sent twice or under the wrong id
// would leave a parameter of the loaded patch unset.
TEST(PatchParameters, EveryPatchFieldIsSentOnceUnderItsOwnId) {
  auto patch = sequencer::types::starting_synth_params();
  patch.algorithm = 12;
  patch.filter_type = 3;
  patch.op_release[5] = 1.25f;
  patch.op_end_level[2] = 0.125f;

  std::set<int> ids;
  for (const auto& [id, value] : patch_parameters(patch)) {
    EXPECT_TRUE(ids.insert(id).second) << "id " << int{id} << " sent twice";
    if (id == kAlgorithm) EXPECT_EQ(value, 12.0f);
    if (id == kFilterType) EXPECT_EQ(value, 3.0f);
    if (id == kOpRelease + 5) EXPECT_EQ(value, 1.25f);
    if (id == kOpEndLevel + 2) EXPECT_EQ(value, 0.125f);
    if (id == kDrive) EXPECT_EQ(value, patch.drive);
  }
  for (int id = 0; id < kParamCount; ++id) {
    EXPECT_EQ(ids.count(id), id == kPan || id == kVolume ? 0u : 1u) << "id " << id;
  }
}

}  // namespace
}  // namespace quorvelan::synth::params
