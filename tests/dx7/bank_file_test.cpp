#include "dx7/bank_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "dx7/factory.hpp"
#include "support/temp_home.hpp"

namespace quorvelan::dx7::bank_file {
namespace {

namespace fs = std::filesystem;

class BankFile : public test_support::TempHome {
 protected:
  fs::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    fs::path path = home() / name;
    write_file(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    return path;
  }

  static std::vector<std::uint8_t> valid_dump() {
    return {factory::ROM1B.dump.begin(), factory::ROM1B.dump.end()};
  }
};

TEST_F(BankFile, ReadsARegularFileOrALinkToOne) {
  auto bank = read_bank(write("a.syx", valid_dump()));
  ASSERT_TRUE(bank.has_value());
  EXPECT_EQ(*bank, factory::ROM1B.voices());

  fs::create_symlink(home() / "a.syx", home() / "link.syx");
  EXPECT_EQ(read_bank(home() / "link.syx"), bank);
}

TEST_F(BankFile, ReadsOnlyTheFirstDumpOfALongerFile) {
  auto bytes = valid_dump();
  bytes.resize(4104 + 1'000'000, 0x55);
  EXPECT_EQ(read_bank(write("long.syx", bytes)), factory::ROM1B.voices());
}

TEST_F(BankFile, GivesNothingForWhatIsNotAReadableValidDump) {
  EXPECT_EQ(read_bank(home() / "missing.syx"), std::nullopt);
  EXPECT_EQ(read_bank(write("short.syx", std::vector<std::uint8_t>(100, 0xF0))), std::nullopt);
  auto corrupt = valid_dump();
  corrupt[4102] ^= 1;
  EXPECT_EQ(read_bank(write("sum.syx", corrupt)), std::nullopt);

  fs::create_directory(home() / "folder.syx");
  EXPECT_EQ(read_bank(home() / "folder.syx"), std::nullopt);
  fs::create_symlink(home() / "missing.syx", home() / "dangling.syx");
  EXPECT_EQ(read_bank(home() / "dangling.syx"), std::nullopt);
}

TEST_F(BankFile, AFifoWithoutWriterIsSkippedInsteadOfBlocking) {
  fs::path fifo = home() / "x.syx";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(read_bank(fifo), std::nullopt);  // would hang if the name were simply opened
  fs::create_symlink(fifo, home() / "to-fifo.syx");
  EXPECT_EQ(read_bank(home() / "to-fifo.syx"), std::nullopt);
}

}  // namespace
}  // namespace quorvelan::dx7::bank_file
