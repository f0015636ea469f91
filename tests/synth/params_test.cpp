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
    switch (id) {
      case kAlgorithm: EXPECT_EQ(value, 12.0f); break;
      case kFilterType: EXPECT_EQ(value, 3.0f); break;
      case kOpRelease + 5: EXPECT_EQ(value, 1.25f); break;
      case kOpEndLevel + 2: EXPECT_EQ(value, 0.125f); break;
      default: break;
    }
  }
  for (int id = 0; id < kParamCount; ++id) {
    EXPECT_EQ(ids.count(id), id == kPan || id == kVolume ? 0u : 1u) << "id " << id;
  }
}

}  // namespace
}  // namespace quorvelan::synth::params
