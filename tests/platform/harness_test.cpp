#include "platform/Harness.h"

#include <gtest/gtest.h>

#include <map>

namespace {

platform::HarnessSettings Parse(const std::map<std::string, std::string>& environment) {
  return platform::ParseHarnessSettings([&](const char* name) -> std::string {
    auto it = environment.find(name);
    return it == environment.end() ? "" : it->second;
  });
}

TEST(HarnessTest, NothingSetChangesNothing) {
  auto settings = Parse({});
  EXPECT_FALSE(settings.headless);
  EXPECT_FALSE(settings.fastClock);
  EXPECT_FALSE(settings.frameLimit);
  EXPECT_FALSE(settings.shotFrame);
  EXPECT_FALSE(settings.showCommand);
  EXPECT_TRUE(settings.answerScript.empty());
  EXPECT_EQ(settings.runtimeDir, "");  // the private fallback folder is RuntimeFolder's
}

TEST(HarnessTest, ReadsEveryVariable) {
  auto settings = Parse({{"ZANDREL_HEADLESS", "1"},
                         {"ZANDREL_FRAMES", "120"},
                         {"ZANDREL_FAST", "1"},
                         {"ZANDREL_INPUT", "in.txt"},
                         {"ZANDREL_ANSWERS", "answers.txt"},
                         {"ZANDREL_SHOT", "30:shot:1.bmp"},
                         {"ZANDREL_FRAME_LOG", "frames.txt"},
                         {"ZANDREL_TRACE", "trace.txt"},
                         {"ZANDREL_FAIL", "sound"},
                         {"XDG_RUNTIME_DIR", "/run/user/1"},
                         {"ZANDREL_SHOW", "5"},
                         {"ZANDREL_SOUNDFONT", "gm.sf2"}});
  EXPECT_TRUE(settings.headless);
  EXPECT_EQ(settings.frameLimit, 120);
  EXPECT_TRUE(settings.fastClock);
  EXPECT_EQ(settings.inputScript, "in.txt");
  EXPECT_EQ(settings.answerScript, "answers.txt");
  EXPECT_EQ(settings.shotFrame, 30);
  EXPECT_EQ(settings.shotFile, "shot:1.bmp");
  EXPECT_EQ(settings.frameLog, "frames.txt");
  EXPECT_EQ(settings.trace, "trace.txt");
  EXPECT_EQ(settings.failStep, "sound");
  EXPECT_EQ(settings.runtimeDir, "/run/user/1");
  EXPECT_EQ(settings.showCommand, 5);
  EXPECT_EQ(settings.soundFont, "gm.sf2");
  EXPECT_EQ(Parse({{"ZANDREL_RUNTIME_DIR", "/r"}, {"XDG_RUNTIME_DIR", "/x"}}).runtimeDir, "/r");
}

TEST(HarnessTest, MalformedNumbersAreIgnored) {
  auto settings = Parse({{"ZANDREL_FRAMES", "12x"}, {"ZANDREL_SHOT", "frame.bmp"}, {"ZANDREL_HEADLESS", "yes"}});
  EXPECT_FALSE(settings.frameLimit);
  EXPECT_FALSE(settings.shotFrame);
  EXPECT_FALSE(settings.headless);
}

}  // namespace
