#!/usr/bin/env bash
# package_test.sh DEB SAMPLE_JOB: unpacks the Debian package into a scratch
# root and checks it there as a desktop would use it: its name and fields,
# stripped binaries, the desktop entry and AppStream file, the job file type
# (found by content whatever the name, and not for other .prn files), and
# the thumbnailer run in the sandbox a file manager gives it.
set -euo pipefail
deb=$(realpath "$1")
sample=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
share=$root/usr/share
job_type=application/x-lumikor-job

fail() {
    echo "package test: $*" >&2
    exit 1
}

echo "-- name and fields"
field() { dpkg-deb -f "$deb" "$1"; }
expected_name="$(field Package)_$(field Version)_$(field Architecture).deb"
[ "$(basename "$deb")" = "$expected_name" ] || fail "named $(basename "$deb"), not $expected_name"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
[ -n "$(field Description)" ] || fail "no description"
depends=$(field Depends | tr ',' '\n' | sed -e 's/^ *//' -e 's/ .*//')
for lib in libc6 libstdc++6 libpng16-16 libqt6widgets6; do
    grep -qxF "$lib" <<<"$depends" || fail "Depends lacks $lib: $(field Depends)"
done

echo "-- files"
dpkg-deb -x "$deb" "$root"
for file in bin/lumikor bin/lumikor-cli \
    share/applications/org.lumikor.Lumikor.desktop \
    share/metainfo/org.lumikor.Lumikor.metainfo.xml \
    share/mime/packages/lumikor.xml share/thumbnailers/lumikor.thumbnailer \
    share/lumikor/Lumikor.ini share/man/man1/lumikor.1.gz share/man/man1/lumikor-cli.1.gz \
    share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/org.lumikor.Lumikor.png; do
    [ -f "$root/usr/$file" ] || fail "missing /usr/$file"
done
for binary in "$root"/usr/bin/*; do
    [[ $(file "$binary") == *', stripped'* ]] || fail "$binary is not stripped"
done
for size in 16 32 48 64 128 256; do
    [[ $(file "$share/icons/hicolor/${size}x${size}/apps/org.lumikor.Lumikor.png") == \
        *"PNG image data, $size x $size,"* ]] || fail "the ${size}x$size icon is not that size"
done

echo "-- desktop entry, AppStream, thumbnailer"
desktop-file-validate "$share/applications/org.lumikor.Lumikor.desktop"
appstreamcli validate --no-net "$share/metainfo/org.lumikor.Lumikor.metainfo.xml"
grep -qx "MimeType=$job_type;" "$share/applications/org.lumikor.Lumikor.desktop" ||
    fail "the desktop entry does not open $job_type"
grep -qx "Exec=lumikor %f" "$share/applications/org.lumikor.Lumikor.desktop" ||
    fail "the desktop entry does not pass the file it opens"
grep -qx "MimeType=$job_type;" "$share/thumbnailers/lumikor.thumbnailer" ||
    fail "the thumbnailer is not for $job_type"
grep -q "<mime-type type=\"$job_type\">" "$share/mime/packages/lumikor.xml" ||
    fail "the MIME package does not define $job_type"

echo "-- file type"
XDG_DATA_DIRS="$share" update-mime-database "$share/mime"
samples=$scratch/samples
mkdir "$samples"
cp "$sample" "$samples/x.prn"
cp "$sample" "$samples/x.bin"
printf '%%!PS-Adobe-3.0\n%%%%Title: printer output\n' >"$samples/printer.prn"
printf '\033E\033&l0O printer output\f' >"$samples/pcl.prn"
# xdg-mime asks GIO when the desktop is GNOME; GIO reads the scratch root's
# MIME database through XDG_DATA_DIRS.
query_type() {
    XDG_CURRENT_DESKTOP=GNOME XDG_DATA_DIRS="$share" XDG_DATA_HOME="$scratch/nowhere" \
        xdg-mime query filetype "$1"
}
for name in x.prn x.bin; do
    [ "$(query_type "$samples/$name")" = "$job_type" ] || fail "$name is $(query_type "$samples/$name")"
done
for name in printer.prn pcl.prn; do
    [ "$(query_type "$samples/$name")" != "$job_type" ] || fail "$name is taken for a laser job"
done

echo "-- thumbnailer in the sandbox"
# As a file manager runs it: /usr read-only (the package's programs in
# /usr/bin), the job and the output folder bound in, no home, no network, no
# other environment.
out=$scratch/out
mkdir "$out"
# The thumbnailer's own command line, with the input, output and size filled
# in as a file manager does.
exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/lumikor.thumbnailer")
exec_line=${exec_line//%i//in/job.prn}
exec_line=${exec_line//%o//out/thumb.png}
read -r -a command <<<"${exec_line//%s/128}"
thumbnail() {
    local job=$1
    bwrap --ro-bind /usr /usr --ro-bind "$root/usr/bin" /usr/bin \
        --symlink usr/lib /lib --symlink usr/lib64 /lib64 --symlink usr/bin /bin \
        --proc /proc --dev /dev --chdir / \
        --ro-bind "$job" /in/job.prn --bind "$out" /out \
        --unshare-all --die-with-parent --clearenv --setenv PATH /usr/bin \
        -- "${command[@]}"
}
thumbnail "$samples/x.prn" || fail "the thumbnailer failed in the sandbox"
[[ $(file "$out/thumb.png") == *'PNG image data, 128 x 76, 8-bit/color RGB'* ]] ||
    fail "the thumbnail is $(file -b "$out/thumb.png")"
rm "$out/thumb.png"
if thumbnail "$samples/printer.prn" 2>/dev/null; then fail "printer output got a thumbnail"; fi
[ -z "$(ls -A "$out")" ] || fail "a failed thumbnail left $(ls -A "$out")"

echo "Package checks passed: $(basename "$deb")"
