#include "sheet/FrameAutosave.h"

#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using Frame = FrameAutosave::Frame;

TEST(FrameAutosaveTest, AFrameComesBackUnderItsNameBesideButNotInTheStoredLocation) {
    ScopedConfigHome home;
    EXPECT_FALSE(FrameAutosave::frame("Main Window"));
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    const auto location = fileText(home.storeFile());

    EXPECT_FALSE(FrameAutosave::setFrame("Main Window", {-40, 30, 800, 600}));
    EXPECT_FALSE(FrameAutosave::setFrame("Other", {1, 2, 3, 4}));
    EXPECT_EQ(FrameAutosave::frame("Main Window"), (Frame{-40, 30, 800, 600}));
    EXPECT_EQ(FrameAutosave::frame("Other"), (Frame{1, 2, 3, 4}));
    EXPECT_EQ(fileText(home.folder() / "AeroluneWindowFrames.conf"),
              "[AeroluneWindowFrames]\nMain Window=-40 30 800 600\nOther=1 2 3 4\n");
    EXPECT_EQ(fileText(home.storeFile()), location);
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{48.5, 2.25}));

    std::ofstream(home.folder() / "AeroluneWindowFrames.conf") << "not a key file\n";
    EXPECT_FALSE(FrameAutosave::frame("Main Window"));
    EXPECT_FALSE(FrameAutosave::setFrame("Main Window", {5, 6, 700, 500}));
    EXPECT_EQ(FrameAutosave::frame("Main Window"), (Frame{5, 6, 700, 500}));
}

TEST(FrameAutosaveTest, OnlyWholePlausibleFramesAreRead) {
    const int limit = FrameAutosave::maximumExtent;
    for (const auto& [text, frame] : std::vector<std::pair<std::string, std::optional<Frame>>>{
             {"0 0 1 1", Frame{0, 0, 1, 1}},
             {"-100000 100000 100000 100000", Frame{-limit, limit, limit, limit}},
             {"-100001 0 1 1", std::nullopt},
             {"0 0 100001 1", std::nullopt},
             {"0 0 0 1", std::nullopt},
             {"1 2 3", std::nullopt},
             {"1 2 3 4 5", std::nullopt},
             {"1  2 3 4", std::nullopt},
             {"1.5 2 3 4", std::nullopt},
             {"99999999999 0 1 1", std::nullopt},
         }) {
        EXPECT_EQ(FrameAutosave::parse(text), frame) << '"' << text << '"';
        if (frame) {
            EXPECT_EQ(FrameAutosave::format(*frame), text);
        }
    }
    ScopedConfigHome home;
    EXPECT_TRUE(FrameAutosave::setFrame("Main Window", {0, 0, 0, 600}));
    EXPECT_FALSE(std::filesystem::exists(home.folder() / "AeroluneWindowFrames.conf"));
}
