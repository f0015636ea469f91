// Clears from JACK's shared-memory registry what servers that ended without unregistering (killed,
// crashed) left there: their places in the table of servers, which holds only eight, so that a
// full table stops every new server ("too many servers already active"), and their shared-memory
// segments. Entries of processes that still run, whatever their server, are left alone, and the
// registry is changed only under its own lock, as JACK does. Usage: jack_registry_sweep

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sem.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// The registry as JACK 2 lays it out with POSIX shared memory: a header with the table of
// servers, then the table of segments.
constexpr std::uint32_t kMagic = 0x4a41434b;  // "JACK"
constexpr std::int32_t kPosixMemory = 1;
constexpr const char* kRegistryName = "/jack-shm-registry";
constexpr key_t kLockKey = 0x282929;

struct Server {
  pid_t pid;
  char name[257];
};

struct Header {
  std::uint32_t magic;
  std::uint16_t protocol;
  std::int32_t memory_type;
  std::uint32_t size;
  std::uint32_t header_size;
  std::uint32_t segment_size;
  Server servers[8];
};

struct Segment {
  std::int16_t index;
  pid_t owner;
  std::uint32_t size;
  char name[255];
};

struct Registry {
  Header header;
  Segment segments[256];
};

static_assert(sizeof(Header) == 2136 && sizeof(Segment) == 268);

// A process has ended when it is gone, or when it is a zombie that nobody has reaped yet: JACK
// counts that one as running, as its pid answers.
bool ended(pid_t pid) {
  if (kill(pid, 0) != 0) return errno == ESRCH;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto name_end = line.rfind(')');
  return name_end != std::string::npos && line.compare(name_end, 3, ") Z") == 0;
}

// JACK's registry lock: a System V semaphore that JACK creates on first use with one holder
// allowed. SEM_UNDO hands it back should this program die holding it.
int open_lock() {
  if (const int id = semget(kLockKey, 0, 0); id != -1) return id;
  const int id = semget(kLockKey, 1, IPC_CREAT | IPC_EXCL | 0666);
  if (id == -1) return errno == EEXIST ? semget(kLockKey, 0, 0) : -1;
  sembuf one{0, 1, 0};
  return semop(id, &one, 1) == 0 ? id : -1;
}

bool change_lock(int id, short by) {
  sembuf change{0, by, SEM_UNDO};
  while (semop(id, &change, 1) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool known_layout(const Header& header) {
  return header.magic == kMagic && header.memory_type == kPosixMemory &&
         header.size == sizeof(Registry) && header.header_size == sizeof(Header) &&
         header.segment_size == sizeof(Segment);
}

void sweep(Registry& registry) {
  for (Server& server : registry.header.servers) {
    if (server.pid == 0 || !ended(server.pid)) continue;
    std::printf("Removed the JACK server entry %s of ended process %d\n", server.name, server.pid);
    std::memset(&server, 0, sizeof server);
  }
  for (Segment& segment : registry.segments) {
    if (segment.owner == 0 || !ended(segment.owner)) continue;
    shm_unlink(segment.name);
    segment.owner = 0;
    segment.size = 0;
    std::memset(segment.name, 0, sizeof segment.name);
  }
}

}  // namespace

int main() {
  const int fd = shm_open(kRegistryName, O_RDWR, 0);
  if (fd == -1) return 0;  // no JACK server has run since the machine started
  struct stat file {};
  void* mapped = MAP_FAILED;
  if (fstat(fd, &file) == 0 && file.st_size == static_cast<off_t>(sizeof(Registry))) {
    mapped = mmap(nullptr, sizeof(Registry), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  close(fd);
  auto* registry = static_cast<Registry*>(mapped);
  if (mapped == MAP_FAILED || !known_layout(registry->header)) {
    std::fprintf(stderr, "jack_registry_sweep: JACK's registry has another layout; left alone\n");
    return 0;
  }
  const int lock = open_lock();
  if (lock == -1 || !change_lock(lock, -1)) {
    std::fprintf(stderr, "jack_registry_sweep: cannot take JACK's registry lock: %s\n",
                 std::strerror(errno));
    return 1;
  }
  sweep(*registry);
  change_lock(lock, 1);
  munmap(mapped, sizeof(Registry));
  return 0;
}
