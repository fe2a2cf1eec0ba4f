#!/usr/bin/env bash
# po/update.sh: gathers every translatable message of the sources into
# po/aerolune.pot and merges it into each po/LANGUAGE.po, where new messages
# then wait, untranslated, for a translator (the translation test fails
# until they are done). po/update.sh --pot FILE only writes the template.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# Where translators report a fault in a message: the package's maintainers.
bugs=$(sed -n 's/.*"Aerolune maintainers <\([^>]*\)>".*/\1/p' packaging/CMakeLists.txt)

# extract OUTPUT: the messages of src/ and apps/ (tr(), N_() and
# Localization::translateIn()) and of the desktop entry.
extract() {
    local output=$1
    find src apps \( -name '*.cpp' -o -name '*.h' \) -print | LC_ALL=C sort |
        xgettext --files-from=- --from-code=UTF-8 --language=C++ \
            --keyword=tr --keyword=N_ --keyword=translateIn:1c,2 \
            --add-comments=TRANSLATORS: --sort-by-file --no-wrap --no-location \
            --package-name=Aerolune --msgid-bugs-address="$bugs" -o "$output"
    xgettext --join-existing --language=Desktop --from-code=UTF-8 --no-wrap --no-location \
        -o "$output" apps/settings/aerolune-settings.desktop.in
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/aerolune-po.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
if [ "${1:-}" = --pot ]; then
    extract "$2"
    exit 0
fi
# The template is rewritten only when its messages changed, not for a date.
extract "$scratch/aerolune.pot"
if ! diff -q <(grep -v '^"POT-Creation-Date' po/aerolune.pot 2>/dev/null) \
    <(grep -v '^"POT-Creation-Date' "$scratch/aerolune.pot") >/dev/null; then
    cp "$scratch/aerolune.pot" po/aerolune.pot
fi
for language in $(grep -v '^#' po/LINGUAS); do
    if [ -f "po/$language.po" ]; then
        msgmerge --quiet --update --backup=none --no-wrap --no-location "po/$language.po" po/aerolune.pot
    else
        msginit --no-translator --no-wrap --locale="$language.UTF-8" -i po/aerolune.pot -o "po/$language.po"
    fi
done
