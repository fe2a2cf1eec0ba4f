#!/usr/bin/env bash
# check-translations.sh SOURCE_DIR: every language of po/LINGUAS translates
# every message the sources have today (tr(), N_(), the desktop entry), with
# nothing left fuzzy, and keeps each message's placeholders (msgfmt --check).
# A new message fails this until po/update.sh has merged it and a translator
# has translated it.
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d "${TMPDIR:-/tmp}/aerolune-translations.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$source_dir/po/update.sh" --pot "$scratch/aerolune.pot"
[ "$(grep -c '^msgid ' "$scratch/aerolune.pot")" -gt 50 ] || fail "xgettext found almost no messages"
for language in $(grep -v '^#' "$source_dir/po/LINGUAS"); do
    po=$source_dir/po/$language.po
    [ -f "$po" ] || fail "po/LINGUAS names $language, which has no po/$language.po"
    msgmerge --quiet --no-fuzzy-matching -o "$scratch/$language.po" "$po" "$scratch/aerolune.pot"
    statistics=$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$scratch/$language.po" 2>&1) ||
        fail "po/$language.po: $statistics"
    grep -Eq 'untranslated|fuzzy' <<<"$statistics" &&
        fail "po/$language.po misses messages ($statistics): run po/update.sh and translate them"
    # What the catalogue has that the sources no longer say is kept out of the way.
    grep -q '^msgid' <(msgattrib --only-obsolete "$po") &&
        fail "po/$language.po holds messages the sources no longer have: run po/update.sh"
    echo "$language: $statistics"
done
