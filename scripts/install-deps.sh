#!/usr/bin/env bash
# Installs the Debian 12 packages glyphwright needs to build, run and test,
# and only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev                      # the window
  qt6-translations-l10n             # Qt's own dialogs and buttons in Chinese
  libopencv-core-dev libopencv-imgproc-dev  # thresholds, components
  libtesseract-dev libleptonica-dev # recognition and the TIFF in the engine library
  libjsoncpp-dev                    # settings and sample files
  tesseract-ocr                     # tesseract and the five training tools
  tesseract-ocr-eng tesseract-ocr-chi-sim  # base language data
  libgtest-dev libgmock-dev libbenchmark-dev  # tests and benchmarks
  xvfb xauth xdotool imagemagick    # a virtual display, input events, screenshots
  fonts-wqy-microhei                # CJK glyphs for the Chinese interface
  fonts-dejavu-core                 # a known Latin font the tests render glyphs with
  fonts-noto-cjk fonts-arphic-uming fonts-arphic-ukai fonts-liberation2  # more faces the split is scored on
  libfreetype-dev                   # the split tests draw real fonts with FreeType
  clang libclang-rt-14-dev          # libFuzzer and the sanitizer runtimes for the fuzz targets
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "glyphwright: all build and test dependencies are installed."
  exit 0
fi

echo "glyphwright: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
