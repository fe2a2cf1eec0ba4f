#!/usr/bin/env bash
# Rebuilds data/shorelines.bin.gz, the coastlines, lakes and borders of the
# settings window's map, from Debian's gmt-gshhg-low (GSHHG 2.3.7,
# intermediate resolution, LGPL-3). Needs the Debian packages gmt-gshhg-low
# and python3-netcdf4 (for Debian's own /usr/bin/python3). The program's
# build needs neither: the output is committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source=${GSHHG_DIR:-/usr/share/gmt-gshhg}

/usr/bin/python3 "$here/shorelines.py" "$source" "$here/shorelines.bin.gz"
cp /usr/share/common-licenses/LGPL-3 "$here/licenses/LGPL-3.0.txt"
cp /usr/share/common-licenses/GPL-3 "$here/licenses/GPL-3.0.txt"
