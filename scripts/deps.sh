# Sourced by the scripts: installs the Debian packages the build needs, only those missing.
KMM_PACKAGES=(cmake g++ make binutils pkg-config libgtest-dev libgmock-dev libbenchmark-dev
              libpng-dev libcli11-dev libtiff-dev python3-numpy python3-pytest)

kmm_install_missing() {
    local missing=()
    local pkg
    for pkg in "${KMM_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    if ((${#missing[@]})); then
        echo "Installing missing packages: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}
