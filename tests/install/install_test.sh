#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a Linux desktop finds there: the two
# programs, XScreenSaver's settings page and the desktop entry (both accepted by their
# validators), the icon at the sizes its folders name; then the installed program runs as a
# hack into a foreign window under Xvfb and ends on SIGTERM with 0.
# Usage: install_test.sh BUILD_DIR E2E_TEST_PROGRAM
set -euo pipefail
build=$1
e2e_tests=$2
prefix=$(mktemp -d /tmp/orbelune-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install_test: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/orbelune bin/orbelune-tool share/xscreensaver/config/orbelune.xml \
            share/applications/orbelune-settings.desktop; do
  [[ -f "$prefix/$file" ]] || fail "$file is not installed"
done
for program in orbelune orbelune-tool; do
  [[ -x "$prefix/bin/$program" ]] || fail "bin/$program cannot be run"
done

xmllint --noout "$prefix/share/xscreensaver/config/orbelune.xml" || fail "the settings page is not well-formed XML"
desktop-file-validate "$prefix/share/applications/orbelune-settings.desktop" || fail "the desktop entry is not valid"

# The entry runs an installed program with the configuration switch, and names an installed icon.
entry="$prefix/share/applications/orbelune-settings.desktop"
read -r -a exec_words <<<"$(sed -n 's/^Exec=//p' "$entry")"
[[ -x "$prefix/bin/${exec_words[0]}" ]] || fail "the entry runs ${exec_words[0]}, which is not installed"
[[ "${exec_words[1]:-}" == "/c" ]] || fail "the entry does not open the configuration dialog"
icon_name=$(sed -n 's/^Icon=//p' "$entry")
icons=("$prefix"/share/icons/hicolor/*/apps/"$icon_name".png)
[[ -f "${icons[0]}" ]] || fail "no icon $icon_name.png in the hicolor theme"
for icon in "${icons[@]}"; do
  size=$(basename "$(dirname "$(dirname "$icon")")")
  shown=$(identify -format '%wx%h' "$icon") || fail "$icon is no picture"
  [[ "$shown" == "$size" ]] || fail "$icon is $shown, not $size"
done

ORBELUNE_PROGRAM_UNDER_TEST="$prefix/bin/orbelune" \
  xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$e2e_tests" --gtest_filter='HackEndToEnd.WindowId*' ||
  fail "the installed program does not run as a hack"
echo "install_test: the installed files are in place and the installed hack runs"
