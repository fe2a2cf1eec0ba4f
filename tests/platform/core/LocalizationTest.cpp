#include "platform/core/Localization.h"

#include "support/ScopedEnvironment.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;

TEST(LocalizationTest, FormatFillsPlainAndNumberedPlaceholdersAndLeavesTheRest) {
    using L = Localization;
    EXPECT_EQ(L::format("%s and %s", {"a", "b"}), "a and b");
    EXPECT_EQ(L::format("%2$s before %1$s, %2$s again", {"a", "b"}), "b before a, b again");
    EXPECT_EQ(L::format("100%% of %s", {"x"}), "100% of x");
    // What has no value, or is no placeholder of ours, stays as written.
    EXPECT_EQ(L::format("%s, %s", {"only"}), "only, %s");
    EXPECT_EQ(L::format("%3$s|%d|%|%", {"a"}), "%3$s|%d|%|%");
    EXPECT_EQ(L::format("%1$", {"a"}), "%1$");
    EXPECT_EQ(L::format("%s", {"%s %1$s"}), "%s %1$s") << "a value is not read again";
}

// Each case runs in a process of its own, so the locale set here stays here.
class LocalizationLanguageTest : public ::testing::Test {
protected:
    void start() {
        Localization::start(AEROLUNE_BUILD_LOCALE_DIR, Localization::Categories::messages);
    }
    ScopedEnvironmentVariable all_{"LC_ALL", nullptr}, messages_{"LC_MESSAGES", nullptr},
        lang_{"LANG", nullptr}, language_{"LANGUAGE", nullptr};
};

TEST_F(LocalizationLanguageTest, LanguageAloneChoosesTheCatalogue) {
    ScopedEnvironmentVariable language("LANGUAGE", "de");
    start();
    EXPECT_EQ(tr("Save"), "Speichern");
    EXPECT_EQ(Localization::language(), "de");
    EXPECT_EQ(Localization::translateIn("decimal separator", "."), ",");
    EXPECT_EQ(tr("a message no catalogue has"), "a message no catalogue has");
    // A list of languages: the first that has a catalogue. gettext remembers
    // its answers until the locale is set again.
    ScopedEnvironmentVariable japanese("LANGUAGE", "xx:ja:de");
    start();
    EXPECT_EQ(tr("Save"), "\u4FDD\u5B58");
    EXPECT_EQ(Localization::translateIn("decimal separator", "."), ".");
}

TEST_F(LocalizationLanguageTest, ALocaleThatIsNotInstalledStillNamesTheLanguage) {
    ScopedEnvironmentVariable lang("LANG", "pt_BR.UTF-8@nonexistent");
    start();
    EXPECT_EQ(tr("Save"), "Salvar");
    EXPECT_EQ(Localization::language(), "pt_BR");
    // Numbers keep the C library's own form.
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

TEST_F(LocalizationLanguageTest, CAsTheWholeLocaleMeansEnglish) {
    ScopedEnvironmentVariable all("LC_ALL", "C"), language("LANGUAGE", "fr");
    start();
    EXPECT_EQ(tr("Save"), "Save");
    EXPECT_EQ(Localization::language(), "");
}
