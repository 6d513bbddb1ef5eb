#!/usr/bin/env bash
# Installs the build into a temporary prefix, then either checks what the
# desktop reads (menu entry, AppStream data, file types, icons, manual page,
# the README that Help, Website opens) or starts the installed launcher, and
# the installed program from a shell, with fresh and existing settings folders.
#   desktop_test.sh install|launcher BUILD_DIR
set -euo pipefail
mode=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
shipped=$share/tessaril/Tessaril.ini
launch=$prefix/bin/tessaril-launch

# Width and height of a PNG, from its header.
png_size() {
    local b
    read -r -a b <<<"$(od -An -tu1 -j16 -N8 "$1")"
    echo "$(((b[0] << 24) + (b[1] << 16) + (b[2] << 8) + b[3]))x$(((b[4] << 24) + (b[5] << 16) + (b[6] << 8) + b[7]))"
}

case $mode in
install)
    entry=$share/applications/org.tessaril.Tessaril.desktop
    for file in bin/tessaril share/tessaril/examples/caffeine.dat share/mime/packages/tessaril.xml \
        share/metainfo/org.tessaril.Tessaril.metainfo.xml share/man/man1/tessaril.1 \
        share/man/man1/tessaril-launch.1 share/icons/hicolor/scalable/apps/org.tessaril.Tessaril.svg \
        share/doc/tessaril/COPYING share/doc/tessaril/README.md; do
        [ -s "$prefix/$file" ] || fail "$file is not installed"
    done
    [ -x "$launch" ] || fail "the launcher is not executable"
    for size in 48x48 256x256; do
        [ "$(png_size "$share/icons/hicolor/$size/apps/org.tessaril.Tessaril.png")" = "$size" ] ||
            fail "the $size icon has another size"
    done
    grep -qx "Exec=$launch %f" "$entry" || fail "the menu entry does not start $launch"

    report=$(desktop-file-validate "$entry" 2>&1 || true)
    [ -z "$report" ] || fail "desktop-file-validate: $report"
    appstreamcli validate --no-net "$share/metainfo/org.tessaril.Tessaril.metainfo.xml" >/dev/null ||
        fail "appstreamcli validate"
    appstreamcli validate-tree --no-net "$prefix" >/dev/null || fail "appstreamcli validate-tree"
    report=$(groff -t -man -ww -z "$share/man/man1/tessaril.1" 2>&1)
    [ -z "$report" ] || fail "groff: $report"

    # Own files are known by ".hpr" or by their first line; another ".dat" is
    # not claimed (chemical-mime-data takes it as MOPAC input).
    update-mime-database "$share/mime"
    cp "$share/tessaril/examples/water.dat" "$work/own.dat"
    cp "$work/own.dat" "$work/own.hpr"
    printf '# Molecule created using Tessaril\n' >"$work/header.dat"
    printf '# Molecule created with something else\n1 2 3\n' >"$work/other.dat"
    printf '0.5 1.5\n' >"$work/numbers.dat"
    # The chemistry formats' types come from chemical-mime-data.
    printf 'HEADER    MOLECULE\nEND\n' >"$work/x.pdb"
    printf 'x\n' >"$work/x.sdf"
    printf '1\nx\nC 0 0 0\n' >"$work/x.xyz"
    for expected in own.dat:application/x-tessaril own.hpr:application/x-tessaril \
        header.dat:application/x-tessaril other.dat:chemical/x-mopac-input \
        numbers.dat:chemical/x-mopac-input \
        x.pdb:chemical/x-pdb x.sdf:chemical/x-mdl-sdfile x.xyz:chemical/x-xyz; do
        file=${expected%%:*}
        type=$(XDG_DATA_HOME=$share XDG_DATA_DIRS=/usr/share gio info -a standard::content-type \
            "$work/$file" | sed -n 's/.*standard::content-type: //p')
        [ "$type" = "${expected#*:}" ] || fail "$file is taken as $type"
    done

    # Help, Website (whose address --help shows) opens a file that exists:
    # the installed README once installed, the source's from the build tree.
    page() { "$1" --help | sed -n 's|^Read more: file://||p'; }
    [ "$(page "$prefix/bin/tessaril")" = "$share/doc/tessaril/README.md" ] ||
        fail "the installed program opens $(page "$prefix/bin/tessaril")"
    [ -f "$(page "$build/src/app/tessaril")" ] || fail "the build tree's program opens a missing page"
    ;;
launcher)
    mkdir -p "$work/files"
    cp "$share/tessaril/examples/water.dat" "$work/files/"
    cd "$work/files"
    # A file named relative to where the launcher is started reaches the
    # program, which runs in the settings folder and needs Tessaril.ini there.
    start() {
        rm -f "$work/out.hpr"
        env -u XDG_CONFIG_HOME "$@" "$launch" --save "$work/out.hpr" water.dat ||
            fail "the launcher with $* ended with status $?"
        [ "$(head -n 1 "$work/out.hpr")" = "# Molecule created using Tessaril" ] ||
            fail "the program did not write the molecule"
    }
    start HOME="$work/home"
    config=$work/home/.config/tessaril/Tessaril.ini
    cmp -s "$config" "$shipped" || fail "a fresh folder was not seeded with the shipped settings"
    [ -z "$(find "$work/home/.config/tessaril" -name '.Tessaril*')" ] || fail "a partial copy was left"

    printf '# changed by the person\n' >>"$config"
    cp "$config" "$work/expected.ini"
    start HOME="$work/home"
    cmp -s "$config" "$work/expected.ini" || fail "existing settings were overwritten"

    start HOME="$work/home2" XDG_CONFIG_HOME="$work/xdg"
    [ -f "$work/xdg/tessaril/Tessaril.ini" ] || fail "XDG_CONFIG_HOME was not used"
    [ ! -e "$work/home2" ] || fail "the home folder was used despite XDG_CONFIG_HOME"
    start HOME="$work/home3" XDG_CONFIG_HOME=relative
    [ -f "$work/home3/.config/tessaril/Tessaril.ini" ] || fail "a relative XDG_CONFIG_HOME was used"
    [ ! -e relative ] || fail "a folder was made under a relative XDG_CONFIG_HOME"

    # The installed program started from a shell in a folder without
    # Tessaril.ini uses (and seeds) the launcher's settings folder, and
    # writes its output where it was started.
    mkdir "$work/shell"
    cd "$work/shell"
    XDG_CONFIG_HOME="$work/shell-xdg" "$prefix/bin/tessaril" --save out.dat ../files/water.dat ||
        fail "the installed program from a shell ended with status $?"
    [ "$(head -n 1 out.dat)" = "# Molecule created using Tessaril" ] || fail "nothing was written"
    cmp -s "$work/shell-xdg/tessaril/Tessaril.ini" "$shipped" || fail "the settings were not seeded"
    [ ! -e Tessaril.ini ] || fail "settings were written to the working folder"
    # From the build tree, a missing Tessaril.ini stays an error.
    status=0
    "$build/src/app/tessaril" --save out2.dat ../files/water.dat 2>"$work/err" || status=$?
    [ "$status" = 255 ] && grep -q "Unable to open file $work/shell/Tessaril.ini" "$work/err" ||
        fail "the build tree's program started without Tessaril.ini (status $status)"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
