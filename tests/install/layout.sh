# Checks shared by the install tests: what an installed Aerolune must hold and
# do, whether it was installed with `cmake --install` or unpacked from the
# Debian package. Sourced by install-tree.sh and debian-package.sh.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# check_layout PREFIX WITH_SETTINGS: every file in its place, with its mode.
check_layout() {
    local prefix=$1 with_settings=$2
    local hack=$prefix/libexec/xscreensaver/aerolune
    [ -f "$hack" ] && [ -x "$hack" ] || fail "the saver is not an executable at $hack"
    [ -L "$prefix/bin/aerolune" ] || fail "bin/aerolune is not a link"
    [ "$(readlink -f "$prefix/bin/aerolune")" = "$(readlink -f "$hack")" ] ||
        fail "bin/aerolune does not lead to the saver"
    expect_file "$prefix" share/xscreensaver/config/aerolune.xml
    local settings=$prefix/share/xscreensaver/config/aerolune.xml
    grep -q '<screensaver name="aerolune"' "$settings" || fail "aerolune.xml does not describe the hack aerolune"
    # XScreenSaver's settings program writes a hack's command line from this
    # file: without --root there, the saver would open a window of its own.
    grep -q '<command arg="--root"/>' "$settings" || fail "aerolune.xml does not keep --root"
    expect_file "$prefix" share/aerolune/gazetteer.bin.gz
    expect_file "$prefix" share/aerolune/shorelines.bin.gz
    expect_file "$prefix" share/aerolune/CREDITS.md
    # Every licence the credits name ships beside them.
    local licence
    for licence in $(grep -o 'licenses/[A-Za-z0-9.-]*\.txt' "$prefix/share/aerolune/CREDITS.md" | sort -u); do
        expect_file "$prefix" "share/aerolune/$licence"
    done
    expect_file "$prefix" share/doc/aerolune/copyright
    expect_file "$prefix" share/doc/aerolune/changelog.Debian.gz
    expect_file "$prefix" share/man/man6/aerolune.6.gz
    if [ "$with_settings" = 1 ]; then
        [ -x "$prefix/bin/aerolune-settings" ] || fail "bin/aerolune-settings is not installed"
        expect_file "$prefix" share/man/man1/aerolune-settings.1.gz
        local desktop=$prefix/share/applications/aerolune-settings.desktop
        expect_file "$prefix" share/applications/aerolune-settings.desktop
        grep -qx 'Exec=aerolune-settings' "$desktop" || fail "the desktop entry does not run aerolune-settings"
        local icon
        icon=$(sed -n 's/^Icon=//p' "$desktop")
        expect_file "$prefix" "share/icons/hicolor/scalable/apps/$icon.svg"
        if command -v desktop-file-validate >/dev/null; then
            desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
        fi
    fi
    # Nothing installed is writable by others, nor a folder closed to them.
    local open
    open=$(find "$prefix" \( -perm -o+w -a ! -type l \) -o \( -type d ! -perm -o+rx \) | head -n 1)
    [ -z "$open" ] || fail "wrong permissions on $open"
}

expect_file() {
    [ -f "$1/$2" ] && [ -s "$1/$2" ] || fail "$2 is not installed"
}

# check_manual PAGE.gz PROGRAM: the page formats without a warning and
# describes every option that PROGRAM --help lists.
check_manual() {
    local page=$1 program=$2 described warnings
    if command -v man >/dev/null; then
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    elif command -v groff >/dev/null; then
        warnings=$(zcat "$page" | groff -z -wall -man 2>&1)
    else
        echo "note: neither man nor groff is installed; $page is not formatted"
        warnings=
    fi
    [ -z "$warnings" ] || fail "$page formats with warnings: $warnings"
    # The options the page describes: the tags of its .TP paragraphs, where
    # an option is written \-\-name.
    described=$(zcat "$page" | awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }' |
        sed 's/\\-/-/g' | grep -oE -- '--[a-z-]+' | sort -u)
    local option
    for option in $("$program" --help | grep -oE '^  --[a-z-]+' | sed 's/^ *//'); do
        grep -qxF -- "$option" <<<"$described" || fail "$page does not describe $option"
    done
}

# check_programs PREFIX SCRATCH WITH_SETTINGS: the installed programs run,
# on their own data, in a home of their own.
check_programs() {
    local prefix=$1 scratch=$2 with_settings=$3
    local aerolune=$prefix/bin/aerolune
    export XDG_CONFIG_HOME=$scratch/config
    unset AEROLUNE_DATA_DIR
    "$aerolune" --help | grep -q '^Usage: aerolune' || fail "aerolune --help"
    check_manual "$prefix/share/man/man6/aerolune.6.gz" "$aerolune"
    if [ "$with_settings" = 1 ]; then
        "$prefix/bin/aerolune-settings" --help | grep -q '^Usage: aerolune-settings' ||
            fail "aerolune-settings --help"
        check_manual "$prefix/share/man/man1/aerolune-settings.1.gz" "$prefix/bin/aerolune-settings"
    fi

    "$aerolune" --snapshot "$scratch/snapshot.png" --size 64x36 --lat 1 --lon 1 ||
        fail "aerolune --snapshot"
    file "$scratch/snapshot.png" | grep -q 'PNG image data, 64 x 36' ||
        fail "the snapshot is not a 64x36 PNG: $(file "$scratch/snapshot.png")"

    local forecast
    forecast=$("$aerolune" --forecast --lat 48.85 --lon 2.35 --at 2024-06-21T12:00:00+02:00) ||
        fail "aerolune --forecast"
    grep -qx 'sunrise: 2024-06-21T03:4[0-9]:[0-9][0-9]Z' <<<"$forecast" ||
        fail "unexpected forecast: $forecast"
    grep -qx 'mode: day' <<<"$forecast" || fail "unexpected forecast: $forecast"

    # A place by name needs the gazetteer, which an installed tree finds
    # beside itself; then the stored place serves a plain --forecast.
    "$aerolune" --set-location "Lisbon" | grep -qx 'place: Lisbon, Portugal' ||
        fail "aerolune --set-location Lisbon"
    grep -q '^coordinates.lat=38.7' "$XDG_CONFIG_HOME/aerolune/AeroluneSaverPrefs.conf" ||
        fail "the place is not stored in \$XDG_CONFIG_HOME/aerolune/AeroluneSaverPrefs.conf"
    "$aerolune" --forecast >/dev/null || fail "aerolune --forecast with the stored place"
}
