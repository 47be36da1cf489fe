#!/bin/sh
# copy-lv2-bundle.sh BUNDLE FOLDER: copies the files of the LV2 bundle the build
# made (library, description, manual) into FOLDER/Quivertone.lv2, and nothing
# else: banks or patterns kept beside a library run from the build stay behind.
set -eu
bundle=$1 target=$2/Quivertone.lv2
mkdir -p "$target/images"
for file in Quivertone.so manifest.ttl quivertone.ttl Help.html images/editor.png \
  images/patedit.png images/about.png; do
  cp "$bundle/$file" "$target/$file"
  chmod 644 "$target/$file"
done
