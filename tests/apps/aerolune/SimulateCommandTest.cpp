#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>
#include <istream>

using namespace aerolune;
using namespace aerolune::test;

static std::vector<std::string> simulate(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "--simulate");
    // 400 days take 16 s in a sanitizer build on a machine busy with other builds.
    const auto run = runProgram(AEROLUNE_PROGRAM, arguments, std::chrono::seconds(90));
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    std::istringstream stream(run.out);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// A whole saver over days, through a change of the clocks, is SkySimulationTest's;
// here the program prints what it does.
TEST(SimulateCommandTest, PrintsEachChangeAtItsMomentAndFinishesWhereverItStarts) {
    ScopedConfigHome home;
    EXPECT_EQ(simulate({"1m", "-at", "2024-06-21T23:00:00Z"}),
              (std::vector<std::string>{"2024-06-21T23:00:00Z failed: Missing location preference.",
                                        "2024-06-21T23:00:10Z day"}));
    // Forty minutes after sunset; the sunset ends 1680 seconds after its first frame.
    EXPECT_EQ(
        simulate({"1h", "--lat", "48.85", "--lon", "2.35", "--at", "2024-06-21T20:38:00Z"}),
        (std::vector<std::string>{"2024-06-21T20:38:00Z sunset", "2024-06-21T21:06:00Z night"}));
    // Tromsø from New Year, through a polar day and two polar nights.
    const auto printed =
        simulate({"400d", "--lat", "69.65", "--lon", "18.96", "--at", "2024-01-01T00:00:00Z"});
    ASSERT_GT(printed.size(), 2u);
    EXPECT_EQ(printed[0], "2024-01-01T00:00:00Z night");
    EXPECT_EQ(printed[1].substr(0, 10) + printed[1].substr(20), "2024-01-15 sunrise")
        << "the sun comes back";
    for (std::size_t i = 1; i < printed.size(); ++i)
        EXPECT_TRUE(printed[i - 1].substr(0, 20) < printed[i].substr(0, 20) &&
                    printed[i - 1].substr(21) != printed[i].substr(21))
            << printed[i - 1] << " then " << printed[i];
    EXPECT_EQ(printed.back().substr(0, 7), "2025-02") << "the run reaches its end";
}
