#include "app/run_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "fakes/fake_ports.h"
#include "fakes/test_files.h"

namespace quillo {
namespace {

class RunLogTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("quillo-run-log-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    system_.tempPath = folder_.wstring() + L"/";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Contents(const RunLog& log) { return fakes::ReadBytes(log.path()); }

  std::filesystem::path folder_;
  fakes::FakeSystemInfo system_;
};

TEST_F(RunLogTest, RecordsAreTheTextAndABlankInTextMode) {
  RunLog log(system_);
  ASSERT_TRUE(log.Create());
  EXPECT_EQ(log.path(), folder_.wstring() + L"/\\VelmoraQuillo.log") << "the folder's backslash and one more";
  log.Enable();
  log.Write(L"Primary Card is 7A10\r\nrevision id is 00\r\n");
  log.Write(L"Download is started....");
  log.Write(L"Gr\u00fc\u00dfe");  // no mapping in the fake's code page
  EXPECT_EQ(Contents(log),
            "Log file created and initiating the pcrocess... \r\n"
            "Primary Card is 7A10\r\r\nrevision id is 00\r\r\n \r\n"
            "Download is started.... \r\n"
            "Gr??e \r\n");
}

TEST_F(RunLogTest, NothingIsWrittenUntilEnabledAndCreateStartsAgain) {
  RunLog log(system_);
  log.Write(L"before any log exists");
  ASSERT_TRUE(log.Create());
  log.Write(L"created but not enabled");
  EXPECT_EQ(Contents(log), "Log file created and initiating the pcrocess... \r\n");

  log.Enable();
  log.Write(L"first run");
  ASSERT_TRUE(log.Create());  // a second window, or the next run
  log.Write(L"second run");
  EXPECT_EQ(Contents(log), "Log file created and initiating the pcrocess... \r\nsecond run \r\n");
}

TEST_F(RunLogTest, AFolderThatCannotBeWrittenLeavesTheLogOff) {
  system_.tempPath = (folder_ / "missing").wstring() + L"/";
  RunLog log(system_);
  EXPECT_FALSE(log.Create());
  EXPECT_FALSE(log.enabled());
  log.Write(L"dropped");
}

TEST_F(RunLogTest, AMissingFolderDropsRecordsQuietly) {
  RunLog log(system_);
  ASSERT_TRUE(log.Create());
  log.Enable();
  std::filesystem::remove_all(folder_);
  log.Write(L"dropped");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(log.path())));
  std::filesystem::create_directories(folder_);
}

// The window thread and a download worker write at the same time; every
// record must arrive whole.
TEST_F(RunLogTest, RecordsFromTwoThreadsDoNotInterleave) {
  RunLog log(system_);
  ASSERT_TRUE(log.Create());
  log.Enable();
  const std::wstring a(300, L'a');
  const std::wstring b(300, L'b');
  auto writer = [&log](const std::wstring& text) {
    for (int i = 0; i < 200; ++i) log.Write(text);
  };
  std::thread first(writer, a);
  std::thread second(writer, b);
  first.join();
  second.join();

  std::istringstream lines(Contents(log));
  std::string line;
  std::getline(lines, line);
  int records = 0;
  while (std::getline(lines, line)) {
    ++records;
    EXPECT_TRUE(line == std::string(300, 'a') + " \r" || line == std::string(300, 'b') + " \r") << line;
  }
  EXPECT_EQ(records, 400);
}

}  // namespace
}  // namespace quillo
