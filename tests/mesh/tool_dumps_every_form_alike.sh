#!/usr/bin/env bash
# orbelune-tool mesh --dump prints the same lines for one mesh in every X-file form.
set -euo pipefail
writer=$1
tool=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$writer" "$folder"
"$tool" mesh "$folder/disc.text.x" --dump > "$folder/text.dump"
grep -q '^vertex 6:' "$folder/text.dump"   # the normals split a vertex
grep -q '^face 4:' "$folder/text.dump"
for form in binary binary64 tzip bzip; do
  "$tool" mesh "$folder/disc.$form.x" --dump > "$folder/$form.dump"
  diff -u "$folder/text.dump" "$folder/$form.dump"
done
