#!/usr/bin/env bash
# Checks the installed files and the Debian package: builds the package
# (scripts/package.sh, from BUILD_DIR when given), installs into a temporary DESTDIR, and
# compares both with
# scripts/installed-files.txt (every file with its mode, every folder 0755); then
# validates the menu entry and the AppStream metadata, and runs lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
scripts/package.sh "${1:-}" >/dev/null

fail() {
    echo "check-install: $*" >&2
    exit 1
}

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" >/dev/null

# "mode path" of each file, and the folders whose mode is not 0755.
installed_files="$(cd "$root" && find . -type f -printf '%M %p\n' | LC_ALL=C sort)"
odd_folders="$(cd "$root" && find . -mindepth 1 -type d ! -perm 0755)"
expected="$(LC_ALL=C sort scripts/installed-files.txt)"
diff -u <(echo "$expected") <(echo "$installed_files") || fail "the install differs from installed-files.txt"
[ -z "$odd_folders" ] || fail "folders not 0755: $odd_folders"

desktop-file-validate "$root/usr/share/applications/veltrop.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.veltrop.Veltrop.metainfo.xml"

version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
deb="$build/veltrop_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/org.veltrop.Veltrop.metainfo.xml" ||
    fail "the metainfo has no release $version"
zcat "$root/usr/share/doc/veltrop/changelog.gz" | head -n 1 | grep -qF "veltrop ($version)" ||
    fail "the changelog does not start with version $version"

dpkg-deb --info "$deb"
depends="$(dpkg-deb --field "$deb" Depends)"
for package in xdg-utils libqt6widgets6 libsqlcipher0; do
    [[ "$depends" == *"$package"* ]] || fail "Depends lacks $package: $depends"
done
package_files="$(dpkg-deb --contents "$deb" | awk '$1 ~ /^-/ {print $1, $6}' | LC_ALL=C sort)"
package_folders="$(dpkg-deb --contents "$deb" | awk '$1 ~ /^d/ && $1 != "drwxr-xr-x"')"
diff -u <(echo "$expected") <(echo "$package_files") || fail "the package differs from installed-files.txt"
[ -z "$package_folders" ] || fail "package folders not 0755: $package_folders"

lintian --fail-on error,warning --display-info "$deb"
echo "check-install: $deb passes"
