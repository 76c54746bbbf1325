// Start-up, close and the splash sequence of the commands.
#include "tests/operations/commands_fixture.h"

namespace tessil {
namespace {

using testing_support::CommandsTest;
using testing_support::Log;

TEST_F(CommandsTest, CloseMakesInitHardwareTheLastCallAndReleasesEverything) {
  LoadFile();
  ReadChip();
  commands.FormClose();
  EXPECT_EQ(plugin.TakeLog(), Log{"_InitHardware"});
  EXPECT_FALSE(session.plugin.Accepted());
  EXPECT_FALSE(session.images.FileImage || session.images.ChipImage);
  EXPECT_EQ(session.images.DisplayedImage, nullptr);
  EXPECT_FALSE(session.settings);
  EXPECT_FALSE(view.timerEnabled[Timer::Polling]);
  EXPECT_FALSE(view.timerEnabled[Timer::Splash]);
  EXPECT_TRUE(commands.Closed());
}

TEST_F(CommandsTest, CloseAfterARefusedPluginCallsNothing) {
  commands.LoadPlugin("missing:_RunTarget");
  plugin.TakeLog();
  commands.FormClose();
  EXPECT_TRUE(plugin.TakeLog().empty());
}

TEST_F(CommandsTest, AStoredPluginIsLoadedAgainAfterTheWindowIsShown) {
  session.settings->OpenKey(keys::kDll);
  session.settings->WriteString("filename", "/opt/plugins/librecording.so");
  session.FullRead = false;
  commands.AfterShown();
  EXPECT_EQ(plugin.TakeLog(), (Log{"_ShowDLL(23063)", "_InitHardware"}));
  EXPECT_EQ(view.status[StatusPanel::Plugin], "DLL : librecording.so");
  EXPECT_TRUE(session.FullRead);
}

TEST_F(CommandsTest, TheSplashSequence) {
  view.timerEnabled[Timer::Polling] = true;
  commands.AboutClick();
  EXPECT_FALSE(view.enabled[Control::MainWindow]);
  EXPECT_FALSE(view.timerEnabled[Timer::Polling]);
  EXPECT_TRUE(view.timerEnabled[Timer::Splash]);
  EXPECT_FALSE(view.splashVisible);

  commands.Timer1Timer();
  EXPECT_TRUE(view.splashVisible);
  EXPECT_TRUE(session.SplashShown);
  EXPECT_EQ(view.timerInterval[Timer::Splash], 5000);
  EXPECT_FALSE(view.enabled[Control::MainWindow]);

  commands.Timer1Timer();
  EXPECT_FALSE(view.splashVisible);
  EXPECT_FALSE(session.SplashShown);
  EXPECT_FALSE(view.timerEnabled[Timer::Splash]);
  EXPECT_EQ(view.timerInterval[Timer::Splash], 100);
  EXPECT_TRUE(view.enabled[Control::MainWindow]);
  EXPECT_TRUE(view.timerEnabled[Timer::Polling]);
}

TEST_F(CommandsTest, PollingStoppedBeforeTheSplashStaysStopped) {
  view.timerEnabled[Timer::Polling] = false;
  commands.AboutClick();
  commands.Timer1Timer();
  commands.Timer1Timer();
  EXPECT_FALSE(view.timerEnabled[Timer::Polling]);
}

TEST_F(CommandsTest, ClosingDuringTheSplashStopsItsTimer) {
  commands.AboutClick();
  commands.Timer1Timer();
  commands.FormClose();
  EXPECT_FALSE(view.timerEnabled[Timer::Splash]);
  EXPECT_FALSE(view.timerEnabled[Timer::Polling]);
}

}  // namespace
}  // namespace tessil
