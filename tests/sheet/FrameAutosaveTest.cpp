#include "sheet/FrameAutosave.h"

#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using Frame = FrameAutosave::Frame;

TEST(FrameAutosaveTest, AFrameComesBackUnderItsNameBesideButNeverInTheStoredLocation) {
    ScopedConfigHome home;
    EXPECT_FALSE(FrameAutosave::frame("Main Window"));
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.25}));
    const auto location = fileText(home.storeFile());
    ASSERT_TRUE(FrameAutosave::setFrame("Main Window", {-40, 30, 800, 600}));
    ASSERT_TRUE(FrameAutosave::setFrame("Other", {1, 2, 3, 4}));
    EXPECT_EQ(FrameAutosave::frame("Main Window"), (Frame{-40, 30, 800, 600}));
    EXPECT_EQ(FrameAutosave::frame("Other"), (Frame{1, 2, 3, 4}));
    EXPECT_EQ(fileText(home.storeFile()), location);
    std::ofstream(home.folder() / "AeroluneWindowFrames.conf") << "not a key file\n";
    EXPECT_FALSE(FrameAutosave::frame("Main Window"));
    EXPECT_TRUE(FrameAutosave::setFrame("Main Window", {5, 6, 700, 500}));
    EXPECT_EQ(FrameAutosave::frame("Main Window"), (Frame{5, 6, 700, 500}));
    EXPECT_FALSE(FrameAutosave::setFrame("Main Window", {0, 0, 0, 600})) << "an absurd frame";
    EXPECT_EQ(FrameAutosave::frame("Main Window"), (Frame{5, 6, 700, 500}));
}

TEST(FrameAutosaveTest, OnlyWholePlausibleFramesAreRead) {
    for (const auto& [text, frame] : std::vector<std::pair<std::string, std::optional<Frame>>>{
             {"0 0 1 1", Frame{0, 0, 1, 1}},
             {"-100000 100000 100000 100000", Frame{-100000, 100000, 100000, 100000}},
             {"-100001 0 1 1", {}},
             {"0 0 100001 1", {}},
             {"0 0 0 1", {}},
             {"1 2 3", {}},
             {"1 2 3 4 5", {}},
             {"1  2 3 4", {}},
             {"1.5 2 3 4", {}},
             {"99999999999 0 1 1", {}}}) {
        EXPECT_EQ(FrameAutosave::parse(text), frame) << '"' << text << '"';
        EXPECT_TRUE(!frame || FrameAutosave::format(*frame) == text) << text;
    }
}
