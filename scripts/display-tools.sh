# Sourced by the scripts that drive the desktop program in a virtual display: installs what they need to
# drive and capture a display (Debian packages) when it is missing, and builds the program if needed.
needed=()
for tool in xvfb-run:xvfb openbox:openbox xdotool:xdotool import:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || needed+=("${tool##*:}")
done
if [ "${#needed[@]}" -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${needed[@]}" >/dev/null
fi
[ -x build/release/src/gui/varlen ] || scripts/build.sh
