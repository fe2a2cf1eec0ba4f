#include "scenes/LoadingHostingView.h"

#include "platform/core/Localization.h"
#include "store/LocationError.h"
#include "support/RenderFrame.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace aerolune;

TEST(LoadingHostingViewTest, TheTextSitsInTheMiddleOfAWhitePanelThatFillsTheViewAtAnySize) {
    for (const auto& [why, lines] : {std::pair{std::optional<std::string>(), 1},
                                     {std::string("Missing location preference."), 2}}) {
        auto view = std::make_shared<LoadingHostingView>(why, Rect());
        Compositor compositor;
        for (const int scale : {1, 2}) {
            view->setFrame(Rect(0, 0, 260 * scale, 90 * scale));
            const test::Pixels pixels = test::renderFrame(compositor, *view, scale);
            // The box around the ink, the lightest red (darkest blue), and the
            // runs of rows that hold ink: one per line of text.
            int minX = 1 << 20, maxX = -1, minY = 1 << 20, maxY = -1, darkest = 255, runs = 0;
            for (int y = 0; y < pixels.height(); ++y) {
                const bool runGoesOn = maxY == y - 1; // the row above held ink
                for (int x = 0; x < pixels.width(); ++x) {
                    const test::Rgb p = pixels.at(x, y);
                    if (p == test::Rgb{255, 255, 255})
                        continue;
                    ASSERT_TRUE(p.b == 255 && std::abs(p.r - p.g) <= 1) << "blue over white";
                    runs += !runGoesOn && maxY != y;
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = y;
                    darkest = std::min(darkest, p.r);
                }
            }
            EXPECT_EQ(runs, lines);
            EXPECT_NEAR(darkest, 128, 3) << "blue at half opacity";
            EXPECT_NEAR((minX + maxX + 1) / 2.0, 130 * scale, 2);
            EXPECT_NEAR((minY + maxY + 1) / 2.0, 45 * scale, 4);
            EXPECT_LT(maxX - minX, 240) << "the default body size, not a headline";
        }
    }
}

TEST(LoadingHostingViewTest, TheTextsAreExactInTheUsersLanguageAndTheLogsDescriptionIsNot) {
    EXPECT_EQ(LoadingView().text(), "Loading the sky\xE2\x80\xA6") << "one ellipsis character";
    for (const std::string why : {"Missing location preference.", "", "%@ 100% \n"})
        EXPECT_EQ(LoadingView(why).text(), why + "\nPlease check your settings.");
    test::ScopedEnvironmentVariable all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr),
        lang("LANG", nullptr), language("LANGUAGE", "de");
    Localization::start(AEROLUNE_BUILD_LOCALE_DIR, Localization::Categories::messages);
    EXPECT_EQ(LoadingView().text(), "Der Himmel wird geladen \u2026");
    EXPECT_EQ(LoadingView(localizedDescription(LocationError::missingPref)).text(),
              "Der Ort ist nicht eingestellt.\nBitte pr\u00FCfen Sie Ihre Einstellungen.");
    EXPECT_EQ(errorDescription(LocationError::missingPref), "Missing location preference.")
        << "the log's text changed with the language";
}
