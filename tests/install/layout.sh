# What an installed Aerolune must hold and do, installed by `cmake --install`
# or unpacked from the Debian package.

fail() { echo "FAIL: $*" >&2; exit 1; }

# check_layout PREFIX WITH_SETTINGS: every file in its place, with its mode.
check_layout() {
    local prefix=$1 with_settings=$2 file
    local hack=$prefix/libexec/xscreensaver/aerolune xml=$prefix/share/xscreensaver/config/aerolune.xml
    [ -f "$hack" ] && [ -x "$hack" ] || fail "the saver is not an executable at $hack"
    [ -L "$prefix/bin/aerolune" ] && [ "$(readlink -f "$prefix/bin/aerolune")" = "$(readlink -f "$hack")" ] ||
        fail "bin/aerolune is not a link to the saver"
    [ "$with_settings" = 1 ] && file=share/man/man1/aerolune-settings.1.gz
    for file in $file share/xscreensaver/config/aerolune.xml share/aerolune/{gazetteer.bin.gz,shorelines.bin.gz,CREDITS.md} \
        share/doc/aerolune/{copyright,changelog.Debian.gz} share/man/man6/aerolune.6.gz \
        $(grep -o 'licenses/[A-Za-z0-9.-]*\.txt' "$prefix/share/aerolune/CREDITS.md" | sed 's|^|share/aerolune/|') \
        $(grep -v '^#' "$(dirname "${BASH_SOURCE[0]}")/../../po/LINGUAS" | sed 's|.*|share/locale/&/LC_MESSAGES/aerolune.mo|'); do
        [ -s "$prefix/$file" ] || fail "$file is not installed"
    done
    # Without --root there, XScreenSaver's settings would run a saver in a window of its own.
    grep -q '<screensaver name="aerolune"' "$xml" && grep -q '<command arg="--root"/>' "$xml" ||
        fail "aerolune.xml does not describe the hack aerolune with --root"
    if [ "$with_settings" = 1 ]; then
        local desktop=$prefix/share/applications/aerolune-settings.desktop
        [ -x "$prefix/bin/aerolune-settings" ] && grep -qx 'Exec=aerolune-settings' "$desktop" &&
            [ -s "$prefix/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] ||
            fail "aerolune-settings, its desktop entry or its icon is not installed"
        ! command -v desktop-file-validate >/dev/null || desktop-file-validate "$desktop" || fail "invalid $desktop"
        grep -q '^Comment\[de\]=' "$desktop" && grep -q '^GenericName\[ja\]=' "$desktop" ||
            fail "the desktop entry is not translated"
    fi
    check_unit "$prefix" aerolune-wallpaper.service "--layer background --on-battery still"
    check_unit "$prefix" aerolune-background.service "--wallpaper"
    # Nothing installed is writable by others, nor a folder closed to them.
    file=$(find "$prefix" \( -perm -o+w -a ! -type l \) -o \( -type d ! -perm -o+rx \) | head -n 1)
    [ -z "$file" ] || fail "wrong permissions on $file"
}

# check_unit PREFIX NAME ARGUMENTS: the systemd user unit runs the installed
# aerolune with ARGUMENTS, within the graphical session, and systemd-analyze
# finds nothing to say about it (its ExecStart read under PREFIX, where the
# tree lies now, rather than where it was built for; its manual page is
# checked with the others).
check_unit() {
    local prefix=$1 name=$2 arguments=$3 unit=$1/lib/systemd/user/$2
    [ -s "$unit" ] || fail "$unit is not installed"
    grep -qx 'PartOf=graphical-session.target' "$unit" && grep -qx 'After=graphical-session.target' "$unit" &&
        grep -qx 'Restart=on-failure' "$unit" && grep -qxE "ExecStart=/.*/bin/aerolune $arguments" "$unit" ||
        fail "$unit does not run aerolune $arguments within the graphical session"
    command -v systemd-analyze >/dev/null || fail "systemd-analyze is not installed"
    local here runtime report
    here=$(mktemp -d "${TMPDIR:-/tmp}/aerolune-unit.XXXXXX")
    runtime=$here/runtime
    mkdir -m 700 "$runtime"
    sed -E "s|^ExecStart=/.*/bin/aerolune |ExecStart=$(cd "$prefix" && pwd)/bin/aerolune |" "$unit" >"$here/$name"
    report=$(cd "$here" && XDG_RUNTIME_DIR=$runtime systemd-analyze --user --man=no verify "./$name" 2>&1) ||
        { rm -rf "$here"; fail "systemd-analyze verify $name: $report"; }
    rm -rf "$here"
    [ -z "$report" ] || fail "systemd-analyze verify $name: $report"
}

# check_manual PAGE.gz PROGRAM: the page formats cleanly and its .TP tags name
# every option PROGRAM --help lists.
check_manual() {
    local page=$1 program=$2 warnings= option
    # Read whole: grep -q leaving early would end a long help with SIGPIPE.
    grep -q '^Usage: ' <<<"$("$program" --help)" || fail "$program --help"
    ! command -v man >/dev/null || warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page formats with warnings: $warnings"
    local described=$(zcat "$page" | awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }' | sed 's/\\-/-/g' |
        grep -oE -- '--[a-z-]+' | sort -u)
    for option in $("$program" --help | grep -oE '^  --[a-z-]+'); do
        grep -qxF -- "$option" <<<"$described" || fail "$page does not describe $option"
    done
}

# check_programs PREFIX SCRATCH WITH_SETTINGS: the programs run on their own data.
check_programs() {
    local prefix=$1 scratch=$2 with_settings=$3 aerolune=$1/bin/aerolune
    export XDG_CONFIG_HOME=$scratch/config
    unset AEROLUNE_DATA_DIR
    check_manual "$prefix/share/man/man6/aerolune.6.gz" "$aerolune"
    [ "$with_settings" != 1 ] || check_manual "$prefix/share/man/man1/aerolune-settings.1.gz" "$prefix/bin/aerolune-settings"
    "$aerolune" --snapshot "$scratch/snapshot.png" --size 64x36 --lat 1 --lon 1 || fail "aerolune --snapshot"
    file "$scratch/snapshot.png" | grep -q 'PNG image data, 64 x 36' || fail "the snapshot is not a 64x36 PNG"
    # A place by name needs the gazetteer, which an installed tree finds beside itself.
    "$aerolune" --set-location "Lisbon" | grep -qx 'place: Lisbon, Portugal' || fail "aerolune --set-location Lisbon"
    # Its messages too, from the catalogues beside it, whatever prefix it was built for.
    grep -qF 'Kein Ort namens' <<<"$(LC_ALL= LC_MESSAGES= LANG= LANGUAGE=de "$aerolune" --set-location "xyzzy" 2>&1)" ||
        fail "aerolune does not find its German messages"
    if [ "$with_settings" = 1 ]; then
        grep -q '^Utilisation' <<<"$(LC_ALL= LANG=fr_FR.UTF-8 LANGUAGE= "$prefix/bin/aerolune-settings" --help)" ||
            fail "aerolune-settings does not find its French messages"
    fi
    local forecast
    forecast=$("$aerolune" --forecast --at 2024-06-21T12:00:00+01:00) || fail "aerolune --forecast"
    grep -qx 'mode: day' <<<"$forecast" && grep -qx 'sunrise: 2024-06-21T05:1[0-9]:[0-9][0-9]Z' <<<"$forecast" ||
        fail "unexpected forecast for Lisbon: $forecast"
}
