// The automatic run's report: kept in the log every time, told through the
// tray once when something could not be cleared, never when all went well.
#include "app_fixture.h"

namespace apptest {
namespace {

class RecordingLog : public platform::RunLog {
 public:
  platform::LogAddition add(const std::string& report) override {
    entries.push_back(report);
    return {problem};
  }
  std::vector<std::string> entries;
  std::string problem;
};

class RunReportTest : public AppTest {
 protected:
  RecordingLog log;
  RunReportTest() {
    app.setRunLog(&log);
    store("runonstart", "1");
    store("autoemptyrecyclebin", "1");
    store("autodelhistory", "1");
  }
};

TEST_F(RunReportTest, AFailedStartRunIsLoggedAndToldOnceWithItsReason) {
  fakes.trash.outcome.removed = 2;
  fakes.trash.outcome.fail("/home/u/.local/share/Trash/files/big", "Permission denied");
  fakes.trash.outcome.fail("/home/u/.local/share/Trash/files/other", "Permission denied");
  start();
  ASSERT_EQ(log.entries.size(), 1u);
  const std::string& entry = log.entries[0];
  EXPECT_NE(entry.find(" start run: 2 items could not be cleared\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("trash: 2 items removed, 2 items could not be cleared\n"), std::string::npos)
      << entry;
  EXPECT_NE(entry.find("not cleared: /home/u/.local/share/Trash/files/big: Permission denied"),
            std::string::npos);
  ASSERT_EQ(fakes.tray.messages.size(), 1u);
  EXPECT_EQ(fakes.tray.messages[0],
            " Norrick Tracesweep: 2 items could not be cleared (trash): "
            "/home/u/.local/share/Trash/files/big: Permission denied; and more, see the log");
}

TEST_F(RunReportTest, ARunThatClearedEverythingIsOnlyLogged) {
  start();
  ASSERT_EQ(log.entries.size(), 1u);
  EXPECT_NE(log.entries[0].find(" start run: everything cleared\n"), std::string::npos);
  EXPECT_TRUE(fakes.tray.messages.empty());
}

// A run the log could not keep is not a run that went well: the tray says so.
TEST_F(RunReportTest, ALogThatCouldNotBeWrittenIsTold) {
  log.problem = "could not write to /s/clear.log: the disk is full";
  start();
  ASSERT_EQ(fakes.tray.messages.size(), 1u);
  EXPECT_EQ(fakes.tray.messages[0],
            " Norrick Tracesweep: log: this report could not be added to the log: could not "
            "write to /s/clear.log: the disk is full");
}

}  // namespace
}  // namespace apptest
