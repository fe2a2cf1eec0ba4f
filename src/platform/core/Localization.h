#pragma once

// What a person reads, in their language: gettext's catalogues of the domain
// "aerolune", English being the source. Every such text goes through tr(),
// and a text kept in a table to be translated where it is shown is marked
// with N_() so that xgettext still finds it; po/README.md tells how a message
// reaches the catalogues. Log lines never go through tr(): people paste them
// into bug reports, so they stay English.
//
// The language follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG, as gettext
// reads them, with two differences where gettext would fall back to English:
// a locale the C library does not have (LANG=de_DE.UTF-8 on a machine where
// it was never generated) still names the language, and LANGUAGE counts
// without any other locale set (gettext ignores it in the plain C locale);
// the messages then follow it with the C library's UTF-8 locale underneath.
// LC_ALL=C still gives English.
//
// Placeholders are printf's, %s only, numbered where a language needs another
// order ("%2$s … %1$s"), so that msgfmt --check holds every translation to
// the placeholders of its message.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

// Marks a literal for the catalogues without translating it here.
#define N_(text) text

namespace aerolune {

class Localization {
public:
    Localization() = delete;

    static constexpr const char* domain = "aerolune";

    // Which locale categories a program takes from the environment: a program
    // that formats numbers itself takes only the messages and the character
    // set; a toolkit's program takes them all.
    enum class Categories { messages, all };

    // Once, at the start of main(): the user's locale, and the catalogues in
    // `folder` (<folder>/<language>/LC_MESSAGES/aerolune.mo). An empty folder
    // leaves the C library's default.
    static void start(const std::filesystem::path& folder, Categories categories);

    // The message in the user's language, or itself when no catalogue has it.
    static std::string translate(const char* message);

    // The same for a message whose translation depends on `context`, such as
    // a lone character ("decimal separator", ".").
    static std::string translateIn(const char* context, const char* message);

    // The language of the catalogue in use ("de", "pt_BR"), or "" for English.
    static std::string language();

    // `pattern` with each %s (or %N$s) replaced by the value it names, and %%
    // by %. A placeholder without a value is left as it is.
    static std::string format(std::string_view pattern,
                              std::initializer_list<std::string_view> values);
};

inline std::string tr(const char* message) {
    return Localization::translate(message);
}

} // namespace aerolune
