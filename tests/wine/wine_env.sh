# Sourced by the Wine tests: a Wine prefix of the test run's own (never the user's), started
# once and kept alive by a persistent server, and ALSA pointed at a null device so that
# DirectSound works without a sound card.
wine_env() {
    local state=$1
    mkdir -p "$state"
    export WINEPREFIX="$state/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
    export ALSA_CONFIG_PATH="$state/alsa.conf"
    export DISPLAY=
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$ALSA_CONFIG_PATH"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot --init > "$state/wineboot.log" 2>&1 || true
    fi
    wineserver -p 60 > /dev/null 2>&1 || true
}
