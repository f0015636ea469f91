// JACK names the socket on which a server reaches a new client after the client's name and user
// alone (/dev/shm/jack_<client>_<uid>_0), whatever the server. Two clients of one name opening at
// the same moment, each on its own server, take that socket from each other, and one of them
// fails to open ("Jack server not found"). The program and its libraries always use the same
// client names, so test programs that open clients on a server, of every build on the machine,
// take turns: each holds a machine-wide lock while its tests run.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace {

class JackClientTurn : public ::testing::Environment {
 public:
  void SetUp() override {
    // Not passed on to the programs that the tests start: the turn ends with this process.
    fd_ = open("/tmp/quorvelan-jack-clients.lock", O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  void TearDown() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new JackClientTurn);

}  // namespace
