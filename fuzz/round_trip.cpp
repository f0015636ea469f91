#include "round_trip.hpp"

#include <cstdlib>

namespace quorvelan::fuzz {

namespace fs = std::filesystem;

const fs::path& scratch_home() {
  // Never destroyed: the exit handler that removes the folder runs after static destructors.
  static const fs::path* const home = [] {
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string folder = (base / "quorvelan-fuzz-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) fail("cannot make a scratch folder");
    ::setenv("HOME", folder.c_str(), 1);
    std::atexit([] { fs::remove_all(scratch_home()); });
    return new fs::path(folder);
  }();
  return *home;
}

}  // namespace quorvelan::fuzz
