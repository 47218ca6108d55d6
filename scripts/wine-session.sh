# Sourced by the Windows scripts: a fresh Wine prefix in $1 with the Japanese locale (ANSI code page 932,
# Japanese file names), a wineserver of its own that ends with the calling script, and wine_env, the
# environment to run Windows programs in: "${wine_env[@]}" /usr/lib/wine/wine64 prog.exe
# Wine maps Windows file names to Linux ones through the locale's character set: without a real
# ja_JP.UTF-8 locale that is ASCII and every Japanese file name fails.
wine_base="$1"
if [ ! -f "$wine_base/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$wine_base/locale"
    localedef -i ja_JP -f UTF-8 "$wine_base/locale/ja_JP.UTF-8"
fi
# Given to Wine's programs only: the calling shell would complain about a locale it cannot load itself.
wine_env=(env LOCPATH="$wine_base/locale" LC_ALL=ja_JP.UTF-8)
export WINEPREFIX="$wine_base/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
[ ! -d "$WINEPREFIX" ] || /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# Started before anything else with its output elsewhere: one started by a test would inherit the test's
# output pipe and keep ctest waiting for it.
/usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
"${wine_env[@]}" /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
