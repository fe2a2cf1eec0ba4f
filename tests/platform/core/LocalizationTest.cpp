#include "platform/core/Localization.h"

#include "support/ScopedEnvironment.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;

TEST(LocalizationTest, FormatFillsPlaceholdersAndTheEnvironmentChoosesTheCatalogue) {
    using L = Localization;
    EXPECT_EQ(L::format("%s and %s", {"a", "b"}), "a and b");
    EXPECT_EQ(L::format("%2$s before %1$s, %2$s again", {"a", "b"}), "b before a, b again");
    EXPECT_EQ(L::format("100%% of %s", {"x"}), "100% of x");
    // What has no value, or is no placeholder of ours, stays as written.
    EXPECT_EQ(L::format("%s, %s", {"only"}), "only, %s");
    EXPECT_EQ(L::format("%3$s|%d|%|%", {"a"}), "%3$s|%d|%|%");
    EXPECT_EQ(L::format("%1$", {"a"}), "%1$");
    EXPECT_EQ(L::format("%s", {"%s %1$s"}), "%s %1$s") << "a value is not read again";
    // A list of languages takes the first that has a catalogue; a locale that
    // is not installed still names its language; C as the whole locale means
    // English. Each case sets the locale again, as gettext remembers its
    // answers till then.
    const ScopedEnvironmentVariable messages("LC_MESSAGES", nullptr);
    const struct {
        const char *all, *lang, *language, *save, *name, *separator;
    } cases[] = {{nullptr, nullptr, "de", "Speichern", "de", ","},
                 {nullptr, nullptr, "xx:ja:de", "\u4FDD\u5B58", "ja", "."},
                 {nullptr, "pt_BR.UTF-8@nonexistent", nullptr, "Salvar", "pt_BR", ","},
                 {"C", nullptr, "fr", "Save", "", "."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.save);
        const ScopedEnvironmentVariable all("LC_ALL", c.all), lang("LANG", c.lang),
            language("LANGUAGE", c.language);
        Localization::start(AEROLUNE_BUILD_LOCALE_DIR, Localization::Categories::messages);
        EXPECT_EQ(tr("Save"), c.save);
        EXPECT_EQ(Localization::language(), c.name);
        EXPECT_EQ(Localization::translateIn("decimal separator", "."), c.separator);
        EXPECT_EQ(tr("a message no catalogue has"), "a message no catalogue has");
    }
    // Numbers keep the C library's own form.
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}
