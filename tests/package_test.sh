#!/bin/sh
# Builds the Debian package from a build folder and checks it as a user meets it: the files
# it installs, its computed dependencies, lintian's verdict, and both programs and man
# pages working from the unpacked package. Usage: tests/package_test.sh BUILD_DIR
set -eu
work=$(cd "$1" && pwd)/package-check
rm -rf "$work"
mkdir -p "$work"
(cd "$1" && cpack -G DEB -B "$work" > "$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(echo "$work"/neuronet_*.deb)
files=$(dpkg-deb -c "$deb" | awk '!/^d/ { print $6 }' | sort | tr '\n' ' ')
doc=./usr/share/doc/neuronet
man=./usr/share/man/man1
[ "$files" = "./usr/bin/neuronet ./usr/bin/neuronet-compare ./usr/bin/neuronet-plot \
$doc/arithmetic.md $doc/changelog.gz $doc/copyright $doc/exercise.md $doc/trace.md $man/neuronet-compare.1.gz \
$man/neuronet-plot.1.gz $man/neuronet.1.gz " ] || { echo "the package holds: $files"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q 'libstdc++6\|libc++1' || { echo "no computed Depends"; exit 1; }
lintian --fail-on error "$deb"
dpkg-deb -x "$deb" "$work/root"
cd "$work/root"
grep -q '^License: Expat' $doc/copyright && gzip -t $doc/changelog.gz
for program in neuronet neuronet-plot neuronet-compare; do
    gzip -dc $man/$program.1.gz | grep -q "^\.TH $(echo $program | tr a-z A-Z) 1"
    usr/bin/$program --version | grep -q "^$program 1.0\$"
done
echo "0.1 0.1 0.1 -0.147 -0.147 -0.147" | usr/bin/neuronet --trace trace.jsonl |
    usr/bin/neuronet-plot | grep -q '</svg>'
usr/bin/neuronet-compare trace.jsonl trace.jsonl | grep -q '^the traces agree: 5203 steps'
