#!/usr/bin/env bash
# Builds the .deb with cpack into a scratch folder and checks its files, its control fields, the
# installed programs, the manual pages against the programs' --help, and lintian's verdict.
# Usage: package_test.sh CPACK BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
cpack=$1 build=$2 source=$3 version=$4

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in dpkg-deb dpkg lintian groff file zcat objdump ldd; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

if ! "$cpack" -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the package" >&2
    exit 1
fi
shopt -s nullglob
debs=("$work"/out/kestrel_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "FAIL: expected one kestrel_*.deb, found ${#debs[@]}" >&2
    exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb")"

# Files: "mode owner/group size date time ./path" per line.
dpkg-deb -c "$deb" >"$work/contents"
cat "$work/contents"
# The mode and owner of one path; the path is the rest of the line, as it may hold blanks.
entry() {
    awk -v path="./$1" '{
        rest = $0
        for (i = 1; i <= 5; i++) sub(/^[^ ]+ +/, "", rest)
        if (rest == path) print $1, $2
    }' "$work/contents"
}
expect_file() {
    local got
    got=$(entry "$1")
    [ "$got" = "$2 root/root" ] || fail "/$1: expected '$2 root/root', found '${got:-nothing}'"
}
expect_file usr/bin/kestrel -rwxr-xr-x
expect_file usr/bin/vantor-sim -rwxr-xr-x
expect_file usr/share/applications/kestrel.desktop -rw-r--r--
expect_file usr/share/man/man1/kestrel.1.gz -rw-r--r--
expect_file usr/share/man/man1/vantor-sim.1.gz -rw-r--r--
expect_file usr/share/doc/kestrel/copyright -rw-r--r--
expect_file usr/share/doc/kestrel/changelog.Debian.gz -rw-r--r--
if [ -f "$source/resources/kestrel.svg" ]; then
    expect_file usr/share/icons/hicolor/scalable/apps/kestrel.svg -rw-r--r--
fi
if [ -d "$source/demo" ]; then
    while IFS= read -r -d '' file; do
        relative=${file#"$source/demo/"}
        [ -n "$(entry "usr/share/kestrel/demo/$relative")" ] ||
            fail "demo file $relative is not in the package"
    done < <(find "$source/demo" -type f -print0)
fi
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print "FAIL: folder " $6 " has mode " $1 }' \
    "$work/contents" | grep . >&2 && fail "folders must be drwxr-xr-x"
awk '$2 != "root/root" { print "FAIL: " $6 " belongs to " $2 }' "$work/contents" | grep . >&2 &&
    fail "every file must belong to root"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
    local got
    got=$(field "$1")
    [ "$got" = "$2" ] || fail "field $1: expected '$2', found '$got'"
}
expect_field Package kestrel
expect_field Version "$version-1"
expect_field Architecture "$(dpkg --print-architecture)"
expect_field Section electronics
expect_field Priority optional
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
echo "Depends: $depends"
# Every library the programs need comes from a package the package depends on.
dpkg-deb -x "$deb" "$work/root"
for program in kestrel vantor-sim; do
    binary="$work/root/usr/bin/$program"
    for library in $(objdump -p "$binary" | awk '$1 == "NEEDED" { print $2 }'); do
        path=$(ldd "$binary" | awk -v lib="$library" '$1 == lib { print $3 }')
        owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null || true)
        owner=${owner%%:*}
        if [ -z "$owner" ]; then
            fail "$program needs $library, which no installed package holds"
        elif [[ ", $depends," != *", $owner"[\ ,]* ]]; then
            fail "$program needs $library of $owner, which Depends lacks"
        fi
    done
done
[[ ", $depends," == *", fonts-liberation,"* ]] || fail "Depends lacks fonts-liberation"

# The installed programs run, and are stripped.
[ "$("$work/root/usr/bin/kestrel" --version)" = "Kestrel Version $version" ] ||
    fail "kestrel --version does not answer the package's version"
"$work/root/usr/bin/vantor-sim" --help >/dev/null || fail "vantor-sim --help fails"
for program in kestrel vantor-sim; do
    file -b "$work/root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
if KESTREL_SETTINGS="$work/settings.reg" "$work/root/usr/bin/kestrel" --list-ports \
    >"$work/ports"; then
    [ -z "$(sort -f "$work/ports" | uniq -di)" ] || fail "--list-ports lists a name twice"
else
    fail "kestrel --list-ports does not exit 0"
fi
desktop="$work/root/usr/share/applications/kestrel.desktop"
for line in Exec=kestrel Icon=kestrel Type=Application; do
    grep -qx "$line" "$desktop" || fail "the desktop entry lacks $line"
done

# Every option the programs' --help names has its own paragraph in the manual page.
rendered() { zcat "$work/root/usr/share/man/man1/$1.1.gz" | groff -man -Tascii -P-cbou 2>&1; }
check_options() {
    local page=$1 text option boundary
    text=$(rendered "$page")
    shift
    for option in "$@"; do
        boundary='( |,|$)'
        [[ $option == *: ]] && boundary='[a-z]'
        grep -qE "^ {7}$option$boundary" <<<"$text" || fail "$page.1 does not describe $option"
    done
    grep -q "EXIT STATUS" <<<"$text" || fail "$page.1 has no EXIT STATUS"
    grep -q "EXAMPLES" <<<"$text" || fail "$page.1 has no EXAMPLES"
}
mapfile -t kestrel_options < <("$work/root/usr/bin/kestrel" --help |
    sed -nE 's/^  ([A-Za-z-]+:?)[^ ]*( .*)?$/\1/p')
mapfile -t sim_options < <("$work/root/usr/bin/vantor-sim" --help |
    sed -nE 's/^  (--[a-z-]+).*$/\1/p')
[ ${#kestrel_options[@]} -ge 13 ] || fail "read only ${#kestrel_options[@]} options from kestrel --help"
[ ${#sim_options[@]} -ge 10 ] || fail "read only ${#sim_options[@]} options from vantor-sim --help"
check_options kestrel "${kestrel_options[@]}"
check_options vantor-sim "${sim_options[@]}"
rendered kestrel | grep -q KESTREL_SETTINGS || fail "kestrel.1 does not name KESTREL_SETTINGS"
rendered kestrel | grep -q Kestrel.log || fail "kestrel.1 does not name the application log"

# Lintian: errors fail the test; warnings and notes are shown.
lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || true
cat "$work/lintian"
grep -q '^E: ' "$work/lintian" && fail "lintian reports errors"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package checks passed"
