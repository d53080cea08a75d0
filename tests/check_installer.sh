#!/bin/sh
# The installer and the zip, as a user gets them. The installer runs under Wine in a prefix of
# its own: a silent install with no host registered (the default plug-in folder), an install
# over it, one with a host that names another folder, and a silent uninstall. After each, the
# installed module and OpenFX bundle are the shipped ones byte for byte and render through
# hostsim and ofxsim from where they landed; the uninstall removes what was installed and
# leaves a file of the user's alone.
# Usage: check_installer.sh BUILD_DIR PACKAGE_NAME
set -eu
build=$1
package=$2
setup="$build/$package-setup.exe"
zip="$build/$package.zip"
shipped="$build/release/Zephyrine.aex"
shipped_ofx="$build/release/Zephyrine.ofx.bundle/Contents/Win64/Zephyrine.ofx"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$setup" ] && [ -f "$zip" ] || fail "no packages: the packages test makes them"

# The zip: the module and the bundle as shipped, the licence and the install text, in one folder.
files=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
[ "$files" = "$package/INSTALL.txt $package/LICENSE $package/Zephyrine.aex $package/Zephyrine.ofx.bundle/Contents/Win64/Zephyrine.ofx " ] ||
    fail "the zip holds: $files"
unzip -p "$zip" "$package/Zephyrine.aex" | cmp - "$shipped" || fail "the zip's module is not the shipped one"
unzip -p "$zip" "$package/Zephyrine.ofx.bundle/Contents/Win64/Zephyrine.ofx" | cmp - "$shipped_ofx" ||
    fail "the zip's OpenFX binary is not the shipped one"

scratch=$(mktemp -d)
export WINEPREFIX="$scratch/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;conhost.exe,winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
wineboot --init >/dev/null 2>&1
wineserver -w
drive="$WINEPREFIX/drive_c"
default="$drive/Program Files/Adobe/Common/Plug-ins/7.0/MediaCore"
elsewhere="$drive/Hosts/AE 24/Plug-ins"
programs="$drive/Program Files/Zephyrine"
ofx_bundle="$drive/Program Files/Common Files/OFX/Plugins/Zephyrine.ofx.bundle"
ofx_windows='C:\Program Files\Common Files\OFX\Plugins\Zephyrine.ofx.bundle'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zephyrine'

# Runs a Windows program and waits until every process it started has ended.
run() {
    wine "$@" >/dev/null 2>&1 || fail "$* exited with $?"
    wineserver -w
}
# A value of the uninstall entry, as reg prints it ("NAME    TYPE    DATA").
value() {
    wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name {sub(/^[ \t]+[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print}'
}
installed_here() { # installed_here FOLDER WINDOWS_PATH
    cmp "$1/Zephyrine.aex" "$shipped" || fail "the module in $1 is not the shipped one"
    wine "$build/bin/render_with_module.exe" "$2" || fail "the installed module does not render"
    cmp "$ofx_bundle/Contents/Win64/Zephyrine.ofx" "$shipped_ofx" || fail "the installed OpenFX binary is not the shipped one"
    wine "$build/bin/render_with_bundle.exe" "$ofx_windows" || fail "the installed OpenFX bundle does not render"
}

echo "--- silent install, no host registered"
run "$setup" /S
installed_here "$default" 'C:\Program Files\Adobe\Common\Plug-ins\7.0\MediaCore\Zephyrine.aex'
[ -f "$programs/Uninstall.exe" ] || fail "no uninstaller"
[ "$(value DisplayName)" = "Zephyrine 1.0.0" ] || fail "display name: $(value DisplayName)"
[ "$(value DisplayVersion)" = "1.0.0" ] || fail "display version: $(value DisplayVersion)"
[ "$(value Publisher)" = "Corvanthis" ] || fail "publisher: $(value Publisher)"
[ "$(value UninstallString)" = '"C:\Program Files\Zephyrine\Uninstall.exe"' ] || fail "uninstall string: $(value UninstallString)"

echo "--- a file of the user's beside it, then an install over the install"
echo "my notes" > "$default/notes.txt"
run "$setup" /S
installed_here "$default" 'C:\Program Files\Adobe\Common\Plug-ins\7.0\MediaCore\Zephyrine.aex'
[ "$(value InstalledModules)" = "0x1" ] || fail "modules recorded after reinstalling: $(value InstalledModules)"
[ "$(cat "$default/notes.txt")" = "my notes" ] || fail "the user's file changed"

echo "--- a host that names its own plug-in folder"
wine reg add 'HKLM\SOFTWARE\Adobe\After Effects\24.0' /v CommonPluginInstallPath /t REG_SZ \
    /d 'C:\Hosts\AE 24\Plug-ins\' /f >/dev/null 2>&1 || fail "cannot register a host"
run "$setup" /S
installed_here "$elsewhere" 'C:\Hosts\AE 24\Plug-ins\Zephyrine.aex'
[ ! -e "$default/Zephyrine.aex" ] || fail "the earlier install's module was left in the default folder"
[ "$(value InstalledModule1)" = 'C:\Hosts\AE 24\Plug-ins\Zephyrine.aex' ] || fail "recorded: $(value InstalledModule1)"

echo "--- silent uninstall"
run "C:\\Program Files\\Zephyrine\\Uninstall.exe" /S
[ ! -e "$elsewhere/Zephyrine.aex" ] || fail "the module is still installed"
[ ! -e "$programs/Uninstall.exe" ] || fail "the uninstaller is still there"
[ ! -e "$programs" ] || fail "the program folder is still there"
[ ! -e "$ofx_bundle" ] || fail "the OpenFX bundle is still installed"
[ -d "$drive/Program Files/Common Files/OFX/Plugins" ] || fail "the common OpenFX folder was removed"
if wine reg query "$uninstall_key" >/dev/null 2>&1; then fail "the uninstall entry is still registered"; fi
[ "$(cat "$default/notes.txt")" = "my notes" ] || fail "the user's file was touched"
[ -d "$elsewhere" ] || fail "the host's plug-in folder was removed"
echo "installer ok"
