#!/usr/bin/env bash
# Checks what "cmake --install" and the Debian package put on a player's system, without
# installing anything into this system:
#   - the installed program is stripped and has no run path of its own;
#   - the desktop entry passes desktop-file-validate, the metainfo file and the installed tree pass
#     appstreamcli validate --no-net, both without an error or a warning;
#   - the icon is there in every size of the icon theme, each PNG of its own size, and scalable;
#   - the manual page renders without a warning and documents every option;
#   - the package builds, holds exactly these files, has library dependencies computed from the
#     program, and the package, the metainfo release and the manual page carry the project's
#     version.
# Installing and removing the package on a fresh system is scripts/check-package-fresh.sh.
# Usage: scripts/check-install.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "-- building the program"
scripts/build.sh release --target draskel3-tuning >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
[ -n "$version" ] || fail "no project version in build/release/CMakeCache.txt"
app_id=org.example.Draskel3Tuning

# The files an installation consists of, relative to the installation prefix.
icon_sizes=(16 22 24 32 48 64 128 256 512)
expected=(
    bin/draskel3-tuning
    lib/draskel3-tuning/draskel3-tuning-music.so
    lib/draskel3-tuning/draskel3-tuning-records.so
    "share/applications/$app_id.desktop"
    "share/metainfo/$app_id.metainfo.xml"
    share/man/man1/draskel3-tuning.1.gz
    share/icons/hicolor/scalable/apps/draskel3-tuning.svg
)
for size in "${icon_sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/draskel3-tuning.png")
done
printf '%s\n' "${expected[@]}" | sort >"$scratch/expected"

echo "-- cmake --install into a scratch folder"
root="$scratch/root"
DESTDIR="$root" cmake --install build/release --prefix /usr >/dev/null
(cd "$root/usr" && find . -type f -printf '%P\n' | sort) >"$scratch/installed"
if ! diff -u "$scratch/expected" "$scratch/installed"; then
    fail "cmake --install installs other files than expected"
fi

for program in "$root/usr/bin/draskel3-tuning" "$root/usr/lib/draskel3-tuning/draskel3-tuning-music.so" \
    "$root/usr/lib/draskel3-tuning/draskel3-tuning-records.so"; do
if [ -f "$program" ]; then
    if readelf --dynamic "$program" | grep -Eq '\((RPATH|RUNPATH)\)'; then
        fail "the installed program has a run path: $(readelf --dynamic "$program" | grep -E 'R(UN)?PATH')"
    fi
    if readelf --sections --wide "$program" | grep -Eq '\.(symtab|debug_[a-z]+)'; then
        fail "the installed program is not stripped"
    fi
    if ! file --brief "$program" | grep -q ', stripped'; then
        fail "file does not call the installed program stripped: $(file --brief "$program")"
    fi
fi
done

for size in "${icon_sizes[@]}"; do
    icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/draskel3-tuning.png"
    [ -f "$icon" ] || continue
    if ! file --brief "$icon" | grep -q "^PNG image data, $size x $size,"; then
        fail "icon ${size}x${size} is $(file --brief "$icon")"
    fi
done
svg="$root/usr/share/icons/hicolor/scalable/apps/draskel3-tuning.svg"
if [ -f "$svg" ] && ! file --brief "$svg" | grep -q 'SVG'; then
    fail "the scalable icon is no SVG picture: $(file --brief "$svg")"
fi

echo "-- desktop entry"
desktop="$root/usr/share/applications/$app_id.desktop"
if [ -f "$desktop" ]; then
    # Errors, warnings and hints alike: a clean entry makes desktop-file-validate print nothing.
    if ! output=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$output" ]; then
        fail "desktop-file-validate: $output"
    fi
    grep -qx 'Exec=draskel3-tuning' "$desktop" || fail "the desktop entry does not start draskel3-tuning"
    grep -qx 'Icon=draskel3-tuning' "$desktop" || fail "the desktop entry names another icon"
fi

# appstreamcli prints one line per issue, "E:", "W:", "I:" or "P:" (error, warning, info,
# pedantic) before the issue's place; errors and warnings fail the check, the others do not.
appstream_check() {
    local what=$1
    shift
    local output status=0
    output=$(appstreamcli "$@" 2>&1) || status=$?
    if [ "$status" -ne 0 ] || grep -Eq '^[[:space:]]*[EW]: ' <<<"$output"; then
        fail "appstreamcli $what (exit status $status):"$'\n'"$output"
    fi
}
echo "-- AppStream metainfo"
metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
if [ -f "$metainfo" ]; then
    appstream_check validate validate --no-net "$metainfo"
    # The installed tree: the metainfo file together with the desktop entry it launches.
    appstream_check validate-tree validate-tree --no-net "$root/usr"
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo file has another id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo file does not launch $app_id.desktop"
    grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" "$metainfo" ||
        fail "the metainfo release entry is not version $version with a date"
    for lang in de it; do
        grep -q "<summary xml:lang=\"$lang\">" "$metainfo" || fail "no $lang summary in the metainfo"
        grep -q "<p xml:lang=\"$lang\">" "$metainfo" || fail "no $lang description in the metainfo"
    done
    grep -q '<content_rating type="oars-1.1"' "$metainfo" || fail "no content rating in the metainfo"
    grep -q '<screenshot type="default">' "$metainfo" || fail "no screenshot in the metainfo"
fi

echo "-- manual page"
page="$root/usr/share/man/man1/draskel3-tuning.1.gz"
if [ -f "$page" ]; then
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l failed"
    [ -z "$warnings" ] || fail "the manual page renders with warnings:"$'\n'"$warnings"
    # man prints plain text, without overstriking, when its output is no terminal.
    MANWIDTH=80 man -l "$page" 2>/dev/null >"$scratch/page.txt"
    for text in NAME SYNOPSIS DESCRIPTION OPTIONS FILES --game-dir --choose-game --help \
        --version "WHERE IT LOOKS FOR THE GAME" registry.ini UserOptions.ini dk3e.ini \
        "draskel3-tuning $version"; do
        grep -qF -- "$text" "$scratch/page.txt" || fail "the manual page does not mention $text"
    done
fi

echo "-- Debian package"
if deb=$(scripts/package.sh | tail -n 1) && [ -f "$deb" ]; then
    [ "$(basename "$deb")" = "draskel3-tuning_${version}_amd64.deb" ] ||
        fail "the package is called $(basename "$deb")"
    [ "$(dpkg-deb --field "$deb" Version)" = "$version" ] ||
        fail "the package has version $(dpkg-deb --field "$deb" Version), not $version"
    depends=$(dpkg-deb --field "$deb" Depends)
    for library in libqt6widgets6 libqt6multimedia6 libc6 libstdc++6 libsqlite3-0 libyaml-cpp0.7; do
        grep -q "\b$library\b" <<<"$depends" ||
            fail "the package does not depend on $library (Depends: $depends)"
    done
    dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' |
        sort >"$scratch/packaged"
    if ! diff -u "$scratch/expected" "$scratch/packaged"; then
        fail "the package holds other files than expected"
    fi
    dpkg-deb --extract "$deb" "$scratch/deb"
    if readelf --dynamic "$scratch/deb/usr/bin/draskel3-tuning" | grep -Eq '\((RPATH|RUNPATH)\)'; then
        fail "the packaged program has a run path"
    fi
    # SQLite and yaml-cpp are the records module's, loaded when a launcher's file is read.
    if readelf --dynamic "$scratch/deb/usr/bin/draskel3-tuning" | grep -Eq 'NEEDED.*(sqlite|yaml)'; then
        fail "the packaged program links SQLite or yaml-cpp itself"
    fi
else
    fail "scripts/package.sh made no package"
fi

if [ "$failures" -ne 0 ]; then
    echo "check-install.sh: $failures check(s) failed" >&2
    exit 1
fi
echo "Installation and package checks passed (version $version)."
