#include "platform/core/Localization.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <libintl.h>
#include <string>
#include <string_view>
#include <vector>

namespace aerolune {
namespace {

// The value gettext reads for the messages' category, as setlocale() would.
std::string requestedMessagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(name); value && *value)
            return value;
    }
    return {};
}

// The C library of Debian 13 and later translates nothing in C.UTF-8, as in
// C: a language asked for through LANGUAGE, or by a locale that is not
// installed, then needs an installed locale of that language (or of a later
// one in the list) to carry it. Where none is installed, messages stay in
// English, as every program's do there.
void carryLanguage() {
    const char* list = std::getenv("LANGUAGE");
    std::string_view rest = list ? list : "";
    while (!rest.empty()) {
        const std::string_view entry = rest.substr(0, rest.find(':'));
        rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
        const std::string language(entry.substr(0, entry.find_first_of(".@")));
        if (language.empty() || language == "C" || language == "POSIX")
            continue;
        std::string territory = language;
        for (char& c : territory)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (const std::string& name : {language + ".UTF-8", language + "_" + territory + ".UTF-8"})
            if (std::setlocale(LC_MESSAGES, name.c_str()))
                return;
    }
}

// Takes `category` from the environment. A locale that is not installed
// falls back to C.UTF-8, and its language is handed to gettext through
// LANGUAGE, which gettext reads first but ignores in the plain C locale.
void takeFromEnvironment(int category) {
    if (const char* taken = std::setlocale(category, "")) {
        // gettext ignores LANGUAGE in the plain C locale, which a session
        // that sets only LANGUAGE gets; then the messages take C.UTF-8, which
        // it does not ignore. LC_ALL=C still means untranslated.
        const std::string_view name = taken;
        const char* all = std::getenv("LC_ALL");
        const char* language = std::getenv("LANGUAGE");
        if ((name == "C" || name == "POSIX") && (!all || !*all) && language && *language &&
            category != LC_CTYPE) {
            std::setlocale(LC_MESSAGES, "C.UTF-8");
            carryLanguage();
        }
        return;
    }
    std::setlocale(category, "C.UTF-8");
    if (category != LC_MESSAGES && category != LC_ALL)
        return;
    const auto requested = requestedMessagesLocale();
    const auto language = requested.substr(0, requested.find_first_of(".@"));
    const char* chosen = std::getenv("LANGUAGE");
    if ((!chosen || !*chosen) && !language.empty() && language != "C" && language != "POSIX")
        ::setenv("LANGUAGE", language.c_str(), 1);
    carryLanguage();
}

} // namespace

void Localization::start(const std::filesystem::path& folder, Categories categories) {
    if (categories == Categories::all) {
        takeFromEnvironment(LC_ALL);
    } else {
        takeFromEnvironment(LC_CTYPE);
        takeFromEnvironment(LC_MESSAGES);
    }
    if (!folder.empty())
        ::bindtextdomain(domain, folder.c_str());
    // Whatever the character set of the locale, the program works in UTF-8.
    ::bind_textdomain_codeset(domain, "UTF-8");
}

std::string Localization::translate(const char* message) {
    if (!message || !*message)
        return {};
    return ::dgettext(domain, message);
}

std::string Localization::translateIn(const char* context, const char* message) {
    // gettext files a message with a context under "context\004message".
    const std::string key = std::string(context) + '\004' + message;
    const char* found = ::dgettext(domain, key.c_str());
    return found == key.c_str() || key == found ? std::string(message) : std::string(found);
}

std::string Localization::language() {
    // The empty message is the catalogue's header, which names its language.
    static const char* const headerKey = "";
    const std::string_view header = ::dgettext(domain, headerKey);
    const auto at = header.find("Language: ");
    if (at == std::string_view::npos)
        return {};
    const auto value = header.substr(at + 10);
    return std::string(value.substr(0, value.find('\n')));
}

std::string Localization::format(std::string_view pattern,
                                 std::initializer_list<std::string_view> values) {
    const std::vector<std::string_view> given(values);
    std::string text;
    std::size_t next = 0; // the value an unnumbered %s takes
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            text += pattern[i];
            continue;
        }
        if (pattern[i + 1] == '%') {
            text += '%';
            ++i;
            continue;
        }
        std::size_t index = next, end = i + 1;
        if (pattern[end] >= '1' && pattern[end] <= '9' && end + 2 < pattern.size() + 1 &&
            pattern.substr(end + 1, 2) == "$s") {
            index = std::size_t(pattern[end] - '1');
            end += 2;
        } else if (pattern[end] == 's') {
            ++next;
        } else {
            text += '%';
            continue;
        }
        if (pattern[end] != 's' || index >= given.size()) {
            text.append(pattern.substr(i, end + 1 - i));
        } else {
            text.append(given[index]);
        }
        i = end;
    }
    return text;
}

} // namespace aerolune
